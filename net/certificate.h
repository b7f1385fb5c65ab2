// The server certificate's side of TLS, apart from the handshake and the records (tls.cpp):
// crypt32 from the system folder, the chain engine, the fingerprint, and the checks of the
// chain and the name against the system's trust store.
#ifndef OVRA_CERTIFICATE_H
#define OVRA_CERTIFICATE_H

#include <windows.h>
#include <wincrypt.h>

enum { kFingerprintSize = 96 };  // "AB:CD:..." for 32 bytes, with the terminator
enum { kNameTextSize = 256 };

struct TlsCertificate {
    char subject[kNameTextSize];  // safe to show on one line (servertext.h)
    char issuer[kNameTextSize];
    char fingerprint[kFingerprintSize];  // SHA-256 of the certificate
    long problem;  // 0 when the system's trust store vouches for it and host; else why not
};

// crypt32's calls, looked up once; false when the system lacks one of them.
bool LoadCertificateCalls(void);
// Builds one chain, once per process, so that the chain engine's set-up is out of the way.
void PrepareChainEngine(void);
// The SHA-256 fingerprint of certificate as "AB:CD:..." (kFingerprintSize characters);
// false when it cannot be hashed.
bool FingerprintCertificate(PCCERT_CONTEXT certificate, char *fingerprint);
// The subject and issuer of certificate, and why the trust store does not vouch for it as
// host's (0 when it does), into checked; its fingerprint is left to the caller.
void CheckCertificate(PCCERT_CONTEXT certificate, const char *host, TlsCertificate *checked);
void FreeCertificate(PCCERT_CONTEXT certificate);

#endif
