// The revocation check's parameters with the time that fetching a revocation list may take.
#define CERT_REVOCATION_PARA_HAS_EXTRA_FIELDS
#include "net/certificate.h"

#include <stdio.h>

#include "app/systemdll.h"
#include "net/servertext.h"

enum { kNameSize = 128 };  // a host name as the policy check takes it
// Fetching one certificate's revocation list within the window's patience: the check is one
// call that nothing else can cut short.
enum { kRevocationFetchMs = 5000 };

// The crypt32 calls, looked up when TLS is first used, and whether the chain engine is set up.
struct CryptCalls {
    decltype(&CertGetCertificateChain) getChain;
    decltype(&CertVerifyCertificateChainPolicy) verifyPolicy;
    decltype(&CertFreeCertificateChain) freeChain;
    decltype(&CertFreeCertificateContext) freeCertificate;
    decltype(&CertNameToStrW) nameToText;
    decltype(&CryptHashCertificate2) hash;
    decltype(&CertOpenSystemStoreA) openSystemStore;
    decltype(&CertEnumCertificatesInStore) nextInStore;
    decltype(&CertCloseStore) closeStore;
    decltype(&CertVerifyRevocation) verifyRevocation;
};

static struct {
    CryptCalls calls;
    bool loaded;
    bool chainEngineReady;
} crypt;

static bool LoadCrypt(HMODULE module, CryptCalls *c)
{
    return module != nullptr && LoadFunction(module, "CertGetCertificateChain", &c->getChain) &&
           LoadFunction(module, "CertVerifyCertificateChainPolicy", &c->verifyPolicy) &&
           LoadFunction(module, "CertFreeCertificateChain", &c->freeChain) &&
           LoadFunction(module, "CertFreeCertificateContext", &c->freeCertificate) &&
           LoadFunction(module, "CertNameToStrW", &c->nameToText) &&
           LoadFunction(module, "CryptHashCertificate2", &c->hash) &&
           LoadFunction(module, "CertOpenSystemStoreA", &c->openSystemStore) &&
           LoadFunction(module, "CertEnumCertificatesInStore", &c->nextInStore) &&
           LoadFunction(module, "CertCloseStore", &c->closeStore) &&
           LoadFunction(module, "CertVerifyRevocation", &c->verifyRevocation);
}

bool LoadCertificateCalls(void)
{
    if (!crypt.loaded)
        crypt.loaded = LoadCrypt(LoadSystemLibrary("crypt32.dll"), &crypt.calls);
    return crypt.loaded;
}

// One chain built for a certificate of the root store: the chain engine's set-up, which
// under Wine loads the system's trusted authorities (some 0.2 s), happens once per process.
void PrepareChainEngine(void)
{
    if (crypt.chainEngineReady)
        return;
    HCERTSTORE root = crypt.calls.openSystemStore(0, "ROOT");
    if (root == nullptr)
        return;
    PCCERT_CONTEXT certificate = crypt.calls.nextInStore(root, nullptr);
    if (certificate != nullptr) {
        CERT_CHAIN_PARA chainPara = {};
        chainPara.cbSize = sizeof chainPara;
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        if (crypt.calls.getChain(nullptr, certificate, nullptr, nullptr, &chainPara, 0, nullptr,
                               &chain))
            crypt.calls.freeChain(chain);
        crypt.calls.freeCertificate(certificate);
    }
    crypt.calls.closeStore(root, 0);
    crypt.chainEngineReady = true;
}

static void FormatFingerprint(const BYTE *hash, char *text)
{
    for (int i = 0; i < 32; i++)
        snprintf(text + 3 * i, 4, i < 31 ? "%02X:" : "%02X", hash[i]);
}

bool FingerprintCertificate(PCCERT_CONTEXT certificate, char *fingerprint)
{
    BYTE hash[32];
    DWORD size = sizeof hash;
    if (!crypt.calls.hash(L"SHA256", 0, nullptr, certificate->pbCertEncoded,
                          certificate->cbCertEncoded, hash, &size) ||
        size != sizeof hash)
        return false;
    FormatFingerprint(hash, fingerprint);
    return true;
}

static long TrustProblem(DWORD errors)
{
    if (errors == CERT_TRUST_NO_ERROR)
        return 0;
    if (errors & CERT_TRUST_IS_REVOKED)
        return CRYPT_E_REVOKED;
    if (errors & CERT_TRUST_IS_NOT_TIME_VALID)
        return CERT_E_EXPIRED;
    // Wine reports a lone certificate of an unknown authority as a partial chain only.
    if (errors & (CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN))
        return CERT_E_UNTRUSTEDROOT;
    if (errors & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
        return CERT_E_WRONG_USAGE;
    return CERT_E_CHAINING;
}

// Whether the issuer of the server's certificate, or of an authority between it and the
// root, has revoked it (a root is trusted as it stands). A revocation server that cannot be
// reached, or a certificate that names none, is no failure. Asked certificate by
// certificate with its issuer from the chain, rather than through the chain engine's
// revocation flags: with those, Wine marks every chain partial.
static bool Revoked(PCCERT_CHAIN_CONTEXT chain)
{
    if (chain->cChain == 0)
        return false;
    const CERT_SIMPLE_CHAIN *simple = chain->rgpChain[0];
    CERT_REVOCATION_PARA para = {};
    para.cbSize = sizeof para;
    para.dwUrlRetrievalTimeout = kRevocationFetchMs;
    CERT_REVOCATION_STATUS status = {};
    status.cbSize = sizeof status;
    for (DWORD i = 0; i + 1 < simple->cElement; i++) {
        para.pIssuerCert = simple->rgpElement[i + 1]->pCertContext;
        void *subject = const_cast<CERT_CONTEXT *>(simple->rgpElement[i]->pCertContext);
        if (!crypt.calls.verifyRevocation(X509_ASN_ENCODING, CERT_CONTEXT_REVOCATION_TYPE, 1,
                                          &subject, 0, &para, &status) &&
            status.dwError == (DWORD)CRYPT_E_REVOKED)
            return true;
    }
    return false;
}

// Why the system's trust store does not vouch for the certificate as host's, or 0. The
// chain's own status is read as well as the policy's: the policy alone can pass a chain
// that ends at an unknown authority.
static long ChainProblem(PCCERT_CONTEXT certificate, const char *host)
{
    LPSTR serverAuth[] = {const_cast<char *>(szOID_PKIX_KP_SERVER_AUTH)};
    CERT_CHAIN_PARA chainPara = {};
    chainPara.cbSize = sizeof chainPara;
    chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
    chainPara.RequestedUsage.Usage.cUsageIdentifier = 1;
    chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = serverAuth;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!crypt.calls.getChain(nullptr, certificate, nullptr, certificate->hCertStore, &chainPara,
                            0, nullptr, &chain))
        return CERT_E_CHAINING;
    if (Revoked(chain)) {
        crypt.calls.freeChain(chain);
        return CRYPT_E_REVOKED;
    }
    long problem = TrustProblem(chain->TrustStatus.dwErrorStatus);
    if (problem == 0) {
        WCHAR name[kNameSize];
        MultiByteToWideChar(CP_ACP, 0, host, -1, name, kNameSize);
        SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl = {};
        ssl.cbSize = sizeof ssl;
        ssl.dwAuthType = AUTHTYPE_SERVER;
        ssl.pwszServerName = name;
        CERT_CHAIN_POLICY_PARA policy = {};
        policy.cbSize = sizeof policy;
        policy.pvExtraPolicyPara = &ssl;
        CERT_CHAIN_POLICY_STATUS status = {};
        status.cbSize = sizeof status;
        if (!crypt.calls.verifyPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status))
            problem = CERT_E_CHAINING;
        else
            problem = (long)status.dwError;
    }
    crypt.calls.freeChain(chain);
    return problem;
}

// A name as the certificate holds it is the server's own text: read in full (as UTF-16,
// before the code page can hide what it holds), made safe to show on one line, then put in
// the code page with nothing mapped to a look-alike.
static void NameText(CERT_NAME_BLOB *name, char *text, DWORD size)
{
    WCHAR wide[kNameTextSize];
    wide[0] = L'\0';
    crypt.calls.nameToText(X509_ASN_ENCODING, name, CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG,
                         wide, sizeof wide / sizeof wide[0]);
    // WCHAR is a UTF-16 code unit on Windows.
    SanitizeServerText(reinterpret_cast<char16_t *>(wide));
    text[0] = '\0';
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, text, (int)size, nullptr, nullptr);
    text[size - 1] = '\0';  // a name too long for the code page's text is cut, not left open
}

void CheckCertificate(PCCERT_CONTEXT certificate, const char *host, TlsCertificate *checked)
{
    NameText(&certificate->pCertInfo->Subject, checked->subject, sizeof checked->subject);
    NameText(&certificate->pCertInfo->Issuer, checked->issuer, sizeof checked->issuer);
    checked->problem = ChainProblem(certificate, host);
}

void FreeCertificate(PCCERT_CONTEXT certificate)
{
    crypt.calls.freeCertificate(certificate);
}
