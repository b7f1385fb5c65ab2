// TLS 1.2 as the client on a connected socket, with Windows' own SChannel provider (SSPI).
// secur32.dll and crypt32.dll are loaded from the system folder when TLS is first used, so
// a program that never uses it never loads them. Every wait goes through netio, so the
// watchdog and the window keep working during a handshake.
#ifndef OVRA_TLS_H
#define OVRA_TLS_H

#include <winsock.h>

#include "net/certificate.h"
#include "res/resource.h"

// The provider and the certificate chain engine made ready ahead of a handshake, so that a
// server does not wait for their one-time set-up (a few hundred milliseconds under Wine).
// Quiet: what fails here fails again, and is reported, when TLS starts.
void TlsPrepare(void);
// Negotiates TLS on s for the server named host. 0, or -1 after the failure was reported in
// a box of caption (for this connection's later failures too).
int TlsStart(SOCKET s, const char *host, UINT caption = IDS_FTP_ERROR);
// The same for a data connection of control: the same credentials and server name, so the
// session of control is resumed where the provider and the server allow it, and the
// certificate must be the one control presented.
int TlsStartData(SOCKET data, SOCKET control);

// The server's certificate on s, checked with the system's trust store for host (the chain
// and the name). 0, or -1 after the failure was reported.
int TlsCheckCertificate(SOCKET s, const char *host, TlsCertificate *certificate);

// The channel's TLS side (net/channel.h).
bool TlsActive(SOCKET s);
int TlsSendAll(SOCKET s, const char *buffer, int length);
int TlsRecv(SOCKET s, char *buffer, int length);
int TlsClose(SOCKET s);

#endif
