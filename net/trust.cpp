#include "net/trust.h"

#include <stdio.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/report.h"
#include "net/tls.h"
#include "net/watchdog.h"
#include "res/resource.h"
#include "settings/keys.h"
#include "settings/profile.h"

enum { kBoxSize = 1536 };

static UINT ProblemText(long problem)
{
    switch (problem) {
    case CERT_E_UNTRUSTEDROOT: return IDS_CERT_UNKNOWN_CA;
    case CERT_E_CN_NO_MATCH:   return IDS_CERT_OTHER_NAME;
    case CERT_E_EXPIRED:       return IDS_CERT_EXPIRED;
    case CRYPT_E_REVOKED:      return IDS_CERT_REVOKED;
    default:                   return IDS_CERT_INVALID;
    }
}

// What is wrong with the certificate, its fingerprint (first, where no name the server
// chose can precede or imitate it), its names, then, unless closingId is 0, a paragraph of
// its own (the question, or what to do instead) naming host.
static void DescribeCertificate(const TlsCertificate *c, const char *host, UINT closingId,
                                char *text)
{
    char format[kMessageLineSize * 2], reason[kMessageLineSize], closing[kMessageLineSize];
    LoadMessageText(ProblemText(c->problem), format, sizeof format);
    snprintf(reason, sizeof reason, format, c->problem);
    LoadMessageText(closingId, format, sizeof format);
    snprintf(closing, sizeof closing, format, host);
    LoadMessageText(IDS_CERT_PROBLEM, format, sizeof format);
    int length = snprintf(text, kBoxSize, format, host, reason, c->fingerprint,
                          c->subject, c->issuer);
    if (closingId != 0 && length >= 0 && length < kBoxSize)
        snprintf(text + length, (size_t)(kBoxSize - length), "\r\n\r\n%s", closing);
}

static bool AskToTrust(const char *text)
{
    return ShowText(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2, IDS_CERT_CAPTION, text,
                    g_hMainWindow) == IDYES;
}

int TrustServerCertificate(SOCKET s, const char *host, bool mayAskUser)
{
    TlsCertificate certificate;
    if (TlsCheckCertificate(s, host, &certificate) != 0)
        return -1;
    if (certificate.problem == 0)
        return 0;
    // Its issuer has withdrawn it: neither a pin nor the user's word brings it back.
    bool revoked = certificate.problem == CRYPT_E_REVOKED;
    char pinned[kFingerprintSize];
    ReadProfileText(CERTIFICATES_SECTION, host, "", pinned, sizeof pinned);
    if (!revoked && lstrcmpiA(pinned, certificate.fingerprint) == 0)
        return 0;
    char text[kBoxSize];
    if (revoked || !mayAskUser) {
        DescribeCertificate(&certificate, host, revoked ? 0 : IDS_CERT_UNATTENDED, text);
        return ReportFailureText(IDS_CERT_CAPTION, text);
    }
    DescribeCertificate(&certificate, host, IDS_CERT_ASK, text);
    // The time the user takes to decide is no silence of the server's.
    DisarmWatchdog();
    if (!AskToTrust(text))
        return EndExchangeQuietly();
    WriteProfileText(CERTIFICATES_SECTION, host, certificate.fingerprint);
    ArmWatchdog();
    return 0;
}
