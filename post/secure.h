// Secure FTP: the control connection brought under TLS before the login (AUTH TLS), with
// the server's certificate checked, and every data connection protected (PBSZ 0, PROT P).
#ifndef OVRA_SECURE_H
#define OVRA_SECURE_H

#include <winsock.h>

// After the greeting. A certificate the system does not vouch for is accepted when its
// fingerprint is pinned for host; otherwise the user is asked, when mayAskUser allows it,
// and Yes pins it. 0 to log in; -1 once the exchange has ended (reported, or declined).
int SecureLogin(SOCKET control, const char *host, bool mayAskUser);
// Implicit TLS: the whole connection under TLS from its first byte, then the greeting read
// through it, and the data connections protected as above. 0 or -1 as above.
int ImplicitSecureStart(SOCKET control, const char *host, bool mayAskUser);

#endif
