#include "net/tls.h"

#include <windows.h>
#define SECURITY_WIN32
#include <security.h>
#include <wincrypt.h>
#include <schannel.h>

#include <stdio.h>
#include <string.h>

#include "app/systemdll.h"
#include "net/certificate.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/transcript.h"
#include "res/resource.h"

enum {
    kRawSize = 0x10000,    // received and not yet decrypted: a whole handshake flight fits
    kRecordSize = 16384,   // the most plaintext one TLS record carries
    kSealRoom = 1024,      // room for a record's header and trailer
    kMaxLinks = 4,         // a control and a data connection, with room to spare
    kTargetSize = 128,
};

// Handshake results besides the provider's own status codes.
enum : long { kSocketFailed = 1, kClosedEarly = 2 };

// Servers that ask for a client certificate without requiring one (vsftpd does by default)
// get none: the provider is not to pick one itself.
const ULONG kRequest = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                       ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                       ISC_REQ_MANUAL_CRED_VALIDATION | ISC_REQ_USE_SUPPLIED_CREDS;

struct TlsLink {
    SOCKET socket;
    CtxtHandle context;
    bool hasContext;
    bool ended;  // the server's close alert arrived
    SecPkgContext_StreamSizes sizes;
    char target[kTargetSize];
    UINT caption;  // of the boxes that report a failure
    char fingerprint[kFingerprintSize];  // of the certificate the server presented
    int rawCount;                        // bytes in raw, not yet decrypted
    int plainStart, plainEnd;            // decrypted bytes in plain not yet handed out
    char raw[kRawSize];
    char plain[kRecordSize];
    char sealed[kRecordSize + kSealRoom];
};

// The process's TLS state: the provider's call table, one set of credentials for every
// connection (the provider keeps its session cache per credentials), and the connections
// that have TLS on them.
static struct {
    PSecurityFunctionTableA sspi;
    CredHandle credentials;
    bool haveCredentials;
    TlsLink *links[kMaxLinks];
} tls;

static TlsLink *LinkOf(SOCKET s)
{
    for (TlsLink *link : tls.links) {
        if (link != nullptr && link->socket == s)
            return link;
    }
    return nullptr;
}

// Lets go of what TLS kept for s; netio calls this for every socket it closes.
static void ForgetLink(SOCKET s)
{
    for (TlsLink *&link : tls.links) {
        if (link == nullptr || link->socket != s)
            continue;
        if (link->hasContext)
            tls.sspi->DeleteSecurityContext(&link->context);
        HeapFree(GetProcessHeap(), 0, link);
        link = nullptr;
    }
}

// The libraries and the credentials, once per process. TLS 1.2 only: the SChannel
// credentials structure offers nothing later, and nothing earlier is safe. The certificate
// is checked here, not by the provider, so that the user can be asked about it.
static bool Ready(void)
{
    if (tls.haveCredentials)
        return true;
    if (tls.sspi == nullptr) {
        HMODULE secur32 = LoadSystemLibrary("secur32.dll");
        INIT_SECURITY_INTERFACE_A init;
        if (secur32 == nullptr || !LoadFunction(secur32, "InitSecurityInterfaceA", &init) ||
            !LoadCertificateCalls())
            return false;
        tls.sspi = init();
        if (tls.sspi == nullptr)
            return false;
        NetSetCloseHook(ForgetLink);
    }
    SCHANNEL_CRED settings = {};
    settings.dwVersion = SCHANNEL_CRED_VERSION;
    settings.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
    settings.dwFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
    TimeStamp expiry;
    SECURITY_STATUS status = tls.sspi->AcquireCredentialsHandleA(
        nullptr, const_cast<char *>(UNISP_NAME_A), SECPKG_CRED_OUTBOUND, nullptr, &settings,
        nullptr, nullptr, &tls.credentials, &expiry);
    tls.haveCredentials = status == SEC_E_OK;
    return tls.haveCredentials;
}

static TlsLink *NewLink(SOCKET s, const char *target, UINT caption)
{
    for (TlsLink *&slot : tls.links) {
        if (slot != nullptr)
            continue;
        slot = (TlsLink *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(TlsLink));
        if (slot != nullptr) {
            slot->socket = s;
            lstrcpynA(slot->target, target, sizeof slot->target);
            slot->caption = caption;
            // What the server sent after its go-ahead, read with that reply, is the start
            // of its handshake: TLS reads it as it would read it from the socket.
            slot->rawCount = NetTakeKept(s, slot->raw, kRawSize, false);
        }
        return slot;
    }
    return nullptr;
}

// Sends a token the provider made (a handshake message or an alert) and frees it.
static long SendToken(TlsLink *link, SecBuffer *token)
{
    long result = 0;
    if (token->pvBuffer == nullptr)
        return 0;
    if (token->cbBuffer > 0 &&
        NetSendAll(link->socket, (const char *)token->pvBuffer, (int)token->cbBuffer) ==
            SOCKET_ERROR)
        result = kSocketFailed;
    tls.sspi->FreeContextBuffer(token->pvBuffer);
    token->pvBuffer = nullptr;
    return result;
}

// Bytes the provider did not use stay at the start of raw for the next call.
static void KeepExtra(TlsLink *link, const SecBuffer *extra)
{
    int count = extra->BufferType == SECBUFFER_EXTRA ? (int)extra->cbBuffer : 0;
    memmove(link->raw, link->raw + link->rawCount - count, (size_t)count);
    link->rawCount = count;
}

static long Receive(TlsLink *link)
{
    if (link->rawCount == kRawSize)
        return SEC_E_BUFFER_TOO_SMALL;
    int count = NetRecv(link->socket, link->raw + link->rawCount, kRawSize - link->rawCount);
    if (count == SOCKET_ERROR)
        return kSocketFailed;
    if (count == 0)
        return kClosedEarly;
    link->rawCount += count;
    return 0;
}

// One step of the handshake: the provider reads what arrived and may answer.
static SECURITY_STATUS Step(TlsLink *link, SecBufferDesc *input, SecBuffer *output)
{
    *output = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outputs = {SECBUFFER_VERSION, 1, output};
    ULONG attributes;
    CtxtHandle *context = link->hasContext ? &link->context : nullptr;
    SECURITY_STATUS status = tls.sspi->InitializeSecurityContextA(
        &tls.credentials, context, link->target, kRequest, 0, 0, input, 0, &link->context,
        &outputs, &attributes, nullptr);
    if (!link->hasContext && (status == SEC_I_CONTINUE_NEEDED || status == SEC_E_OK))
        link->hasContext = true;
    return status;
}

// The handshake from token, the provider's latest message (perhaps none), on: raw holds
// what already arrived of the server's, and needMore says whether it has to wait for more.
// 0 when done, else kSocketFailed, kClosedEarly or the provider's status.
static long ContinueHandshake(TlsLink *link, SecBuffer *tokenIn, bool needMore)
{
    SecBuffer token = *tokenIn;
    SECURITY_STATUS status;
    int credentialRetries = 1;
    for (;;) {
        if (SendToken(link, &token) != 0)
            return kSocketFailed;
        if (needMore) {
            long received = Receive(link);
            if (received != 0)
                return received;
        }
        SecBuffer in[2] = {{(ULONG)link->rawCount, SECBUFFER_TOKEN, link->raw},
                           {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc input = {SECBUFFER_VERSION, 2, in};
        status = Step(link, &input, &token);
        needMore = true;
        if (status == SEC_E_INCOMPLETE_MESSAGE)
            continue;
        if (status == SEC_I_INCOMPLETE_CREDENTIALS && credentialRetries-- > 0) {
            // The server asks for a client certificate; go on without one.
            needMore = false;
            continue;
        }
        if (FAILED(status) || (status != SEC_E_OK && status != SEC_I_CONTINUE_NEEDED)) {
            SendToken(link, &token);  // the alert that tells the server why
            return status;
        }
        KeepExtra(link, &in[1]);
        if (status == SEC_E_OK)
            return SendToken(link, &token);
        needMore = link->rawCount == 0;
    }
}

static long Handshake(TlsLink *link)
{
    SecBuffer token;
    SECURITY_STATUS status = Step(link, nullptr, &token);
    if (status != SEC_I_CONTINUE_NEEDED) {
        SendToken(link, &token);
        return status == SEC_E_OK ? SEC_E_INTERNAL_ERROR : status;
    }
    return ContinueHandshake(link, &token, link->rawCount == 0);
}

// The sizes of the records the handshake agreed on, which ours must fit.
static long TakeStreamSizes(TlsLink *link)
{
    long result = tls.sspi->QueryContextAttributesA(&link->context, SECPKG_ATTR_STREAM_SIZES,
                                                    &link->sizes);
    if (result == SEC_E_OK && link->sizes.cbHeader + link->sizes.cbTrailer > kSealRoom)
        result = SEC_E_BUFFER_TOO_SMALL;
    return result;
}

static int ReportHandshake(long result, UINT caption)
{
    if (result == kSocketFailed)
        return ReportWinsockError();
    if (result == kClosedEarly)
        return ReportFailure(caption, IDS_TLS_CLOSED, 0);
    return ReportFailure(caption, IDS_TLS_FAILED, result);
}

// A handshake on s for target: the new link, or null after the failure was reported.
static TlsLink *Handshaken(SOCKET s, const char *target, UINT caption)
{
    if (!Ready())
        return ReportFailure(caption, IDS_TLS_UNAVAILABLE, 0), nullptr;
    TlsLink *link = NewLink(s, target, caption);
    if (link == nullptr) {
        WSASetLastError(WSAENOBUFS);
        return ReportWinsockError(), nullptr;
    }
    long result = Handshake(link);
    if (result == 0)
        result = TakeStreamSizes(link);
    if (result != 0)
        return ReportHandshake(result, caption), nullptr;
    TranscriptSecured(s);
    return link;
}

void TlsPrepare(void)
{
    if (Ready())
        PrepareChainEngine();
}

int TlsStart(SOCKET s, const char *host, UINT caption)
{
    return Handshaken(s, host, caption) != nullptr ? 0 : -1;
}

// The SHA-256 fingerprint of the server's certificate into the link, and the certificate
// itself (freed by the caller), or null.
static PCCERT_CONTEXT TakeCertificate(TlsLink *link)
{
    PCCERT_CONTEXT certificate = nullptr;
    if (tls.sspi->QueryContextAttributesA(&link->context, SECPKG_ATTR_REMOTE_CERT_CONTEXT,
                                          &certificate) != SEC_E_OK ||
        certificate == nullptr)
        return nullptr;
    if (!FingerprintCertificate(certificate, link->fingerprint)) {
        FreeCertificate(certificate);
        return nullptr;
    }
    return certificate;
}

int TlsStartData(SOCKET data, SOCKET control)
{
    const TlsLink *controlLink = LinkOf(control);
    TlsLink *link = Handshaken(data, controlLink != nullptr ? controlLink->target : "", IDS_FTP_ERROR);
    if (link == nullptr)
        return -1;
    // Only the server of the control connection may take the data.
    PCCERT_CONTEXT certificate = TakeCertificate(link);
    if (certificate == nullptr)
        return ReportFailure(IDS_FTP_ERROR, IDS_TLS_FAILED, SEC_E_NO_CREDENTIALS);
    FreeCertificate(certificate);
    if (controlLink == nullptr || lstrcmpA(link->fingerprint, controlLink->fingerprint) != 0)
        return ReportFailure(IDS_FTP_ERROR, IDS_TLS_OTHER_CERT, 0);
    return 0;
}

int TlsCheckCertificate(SOCKET s, const char *host, TlsCertificate *certificate)
{
    TlsLink *link = LinkOf(s);
    PCCERT_CONTEXT server = link != nullptr ? TakeCertificate(link) : nullptr;
    if (server == nullptr)
        return ReportFailure(link != nullptr ? link->caption : IDS_FTP_ERROR, IDS_TLS_FAILED,
                             SEC_E_NO_CREDENTIALS);
    CheckCertificate(server, host, certificate);
    lstrcpyA(certificate->fingerprint, link->fingerprint);
    FreeCertificate(server);
    return 0;
}

bool TlsActive(SOCKET s)
{
    return LinkOf(s) != nullptr;
}

// A failure inside TLS reads as the connection broken off.
static int Broken(void)
{
    WSASetLastError(WSAECONNABORTED);
    return SOCKET_ERROR;
}

int TlsSendAll(SOCKET s, const char *buffer, int length)
{
    TlsLink *link = LinkOf(s);
    const SecPkgContext_StreamSizes &sizes = link->sizes;
    int most = sizes.cbMaximumMessage < (ULONG)kRecordSize ? (int)sizes.cbMaximumMessage : kRecordSize;
    for (int sent = 0; sent < length;) {
        int chunk = length - sent < most ? length - sent : most;
        char *data = link->sealed + sizes.cbHeader;
        memcpy(data, buffer + sent, (size_t)chunk);
        SecBuffer parts[4] = {{sizes.cbHeader, SECBUFFER_STREAM_HEADER, link->sealed},
                              {(ULONG)chunk, SECBUFFER_DATA, data},
                              {sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, data + chunk},
                              {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc message = {SECBUFFER_VERSION, 4, parts};
        if (tls.sspi->EncryptMessage(&link->context, 0, &message, 0) != SEC_E_OK)
            return Broken();
        int total = (int)(parts[0].cbBuffer + parts[1].cbBuffer + parts[2].cbBuffer);
        if (NetSendAll(s, link->sealed, total) == SOCKET_ERROR)
            return SOCKET_ERROR;
        sent += chunk;
    }
    return length;
}

// The connection's box for a failure that has ended the exchange; what fails then passes
// the box by.
static int ReportedBroken(TlsLink *link, UINT textId, long status)
{
    ReportFailure(link->caption, textId, status);
    WSASetLastError(kNetAbandoned);
    return SOCKET_ERROR;
}

// The server asked for a new handshake (a TLS 1.2 HelloRequest; under TLS 1.3 a message
// after the handshake, such as a new session ticket) inside the record that was just
// decrypted: its bytes, left in raw, go to the provider, and the handshake runs to its end
// before any more data is read. The certificate must be the one checked when the
// connection was made: a new one would have the user's trust without being asked about.
static int Renegotiate(TlsLink *link)
{
    SecBuffer none = {0, SECBUFFER_TOKEN, nullptr};
    long result = ContinueHandshake(link, &none, link->rawCount == 0);
    if (result == kSocketFailed)
        return SOCKET_ERROR;
    if (result == kClosedEarly)
        return ReportedBroken(link, IDS_TLS_CLOSED, 0);
    if (result != 0)
        return ReportedBroken(link, IDS_TLS_RENEGOTIATED, result);
    char checked[kFingerprintSize];
    lstrcpyA(checked, link->fingerprint);
    PCCERT_CONTEXT certificate = TakeCertificate(link);
    if (certificate != nullptr)
        FreeCertificate(certificate);
    if (certificate == nullptr || lstrcmpA(checked, link->fingerprint) != 0)
        return ReportedBroken(link, IDS_TLS_OTHER_CERT, 0);
    return 1;
}

// Decrypts the record at the start of raw into plain. 1 when a record was taken (its text,
// perhaps none, is in plain), 0 when more bytes must arrive first, SOCKET_ERROR on failure.
static int Decrypt(TlsLink *link)
{
    SecBuffer parts[4] = {{(ULONG)link->rawCount, SECBUFFER_DATA, link->raw},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc message = {SECBUFFER_VERSION, 4, parts};
    SECURITY_STATUS status = tls.sspi->DecryptMessage(&link->context, &message, 0, nullptr);
    if (status == SEC_E_INCOMPLETE_MESSAGE)
        return 0;
    if (status == SEC_I_CONTEXT_EXPIRED) {
        link->ended = true;
        return 1;
    }
    if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE)
        return Broken();
    SecBuffer none = {0, SECBUFFER_EMPTY, nullptr};
    const SecBuffer *extra = &none;
    for (const SecBuffer &part : parts) {
        if (part.BufferType == SECBUFFER_DATA) {
            if (part.cbBuffer > (ULONG)kRecordSize)
                return Broken();
            memcpy(link->plain, part.pvBuffer, part.cbBuffer);
            link->plainStart = 0;
            link->plainEnd = (int)part.cbBuffer;
        } else if (part.BufferType == SECBUFFER_EXTRA) {
            extra = &part;
        }
    }
    KeepExtra(link, extra);
    return status == SEC_I_RENEGOTIATE ? Renegotiate(link) : 1;
}

int TlsRecv(SOCKET s, char *buffer, int length)
{
    TlsLink *link = LinkOf(s);
    bool needMore = link->rawCount == 0;
    for (;;) {
        if (link->plainEnd > link->plainStart) {
            int count = link->plainEnd - link->plainStart;
            if (count > length)
                count = length;
            memcpy(buffer, link->plain + link->plainStart, (size_t)count);
            link->plainStart += count;
            return count;
        }
        if (link->ended)
            return 0;
        if (!needMore) {
            int taken = Decrypt(link);
            if (taken == SOCKET_ERROR)
                return SOCKET_ERROR;
            needMore = taken == 0 || link->rawCount == 0;
            continue;
        }
        if (link->rawCount == kRawSize)
            return Broken();
        int count = NetRecv(s, link->raw + link->rawCount, kRawSize - link->rawCount);
        if (count <= 0)
            return count;  // failed, or closed without the close alert
        link->rawCount += count;
        needMore = false;
    }
}

// The close alert, so that the server can tell a whole upload from a cut-off one.
static int SendCloseAlert(TlsLink *link)
{
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control = {sizeof type, SECBUFFER_TOKEN, &type};
    SecBufferDesc controls = {SECBUFFER_VERSION, 1, &control};
    if (tls.sspi->ApplyControlToken(&link->context, &controls) != SEC_E_OK)
        return 0;
    SecBuffer token;
    if (FAILED(Step(link, nullptr, &token))) {
        SendToken(link, &token);
        return 0;
    }
    return SendToken(link, &token) == 0 ? 0 : SOCKET_ERROR;
}

int TlsClose(SOCKET s)
{
    int result = SendCloseAlert(LinkOf(s));
    int error = WSAGetLastError();
    if (NetClose(s) != 0)
        return SOCKET_ERROR;
    WSASetLastError(error);
    return result;
}
