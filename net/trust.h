// Whether to go on with a server whose TLS certificate is known: the system's trust store,
// or a fingerprint pinned for the host, or the user's word.
#ifndef OVRA_TRUST_H
#define OVRA_TRUST_H

#include <winsock.h>

// The certificate on s, once TLS is on. One the system does not vouch for is accepted when
// its fingerprint is pinned for host; otherwise the user is asked, when mayAskUser allows
// it, and Yes pins it. 0 to go on; -1 once the exchange has ended (reported, or declined).
int TrustServerCertificate(SOCKET s, const char *host, bool mayAskUser);

#endif
