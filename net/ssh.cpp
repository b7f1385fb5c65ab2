// libssh2's header brings winsock2.h, which then stands in for the winsock.h of the others.
#include <libssh2.h>
#include <libssh2_sftp.h>

#include "net/ssh.h"

#include <errno.h>
#include <string.h>

#include "app/message.h"
#include "net/netio.h"
#include "net/report.h"
#include "res/resource.h"

enum {
    kWaitCut = -1000,  // the wait for the socket failed (watchdog, abandon): code in WSAGetLastError
    kBoxSize = 1536,
};

static void Capture(SshLink *link, const void *bytes, size_t count)
{
    size_t room = sizeof link->capture - link->captured;
    size_t taken = count < room ? count : room;
    memcpy(link->capture + link->captured, bytes, taken);
    link->captured += taken;
}

// libssh2's socket calls: never blocking (it asks to be called again), and dead once the
// link is dropped, so that freeing the session sends nothing and never waits.
// A failed call as libssh2 takes it: "again" for a call that would block, else the end of
// the connection, its Winsock code kept for the box.
static ssize_t SocketFailure(SshLink *link)
{
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
        return -EAGAIN;
    link->socketError = error;
    return -ECONNRESET;
}

static LIBSSH2_RECV_FUNC(Receive)
{
    auto *link = (SshLink *)*abstract;
    if (link->dropped)
        return -ECONNRESET;
    int count = recv(socket, (char *)buffer, (int)length, flags);
    if (count == SOCKET_ERROR)
        return SocketFailure(link);
    Capture(link, buffer, (size_t)count);
    return count;
}

static LIBSSH2_SEND_FUNC(Send)
{
    auto *link = (SshLink *)*abstract;
    if (link->dropped)
        return -ECONNRESET;
    int count = send(socket, (const char *)buffer, (int)length, flags);
    return count == SOCKET_ERROR ? SocketFailure(link) : count;
}

// Waits in the message loop for what libssh2 was held up by.
static int AwaitTraffic(SshLink *link)
{
    int directions = libssh2_session_block_directions(link->session);
    long events = FD_CLOSE;
    if ((directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) != 0)
        events |= FD_WRITE;
    if ((directions & LIBSSH2_SESSION_BLOCK_INBOUND) != 0 ||
        (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) == 0)
        events |= FD_READ;
    return NetWaitSocket(link->socket, events) == 0 ? 0 : kWaitCut;
}

// Runs one libssh2 call until it no longer asks to be called again. Without blocking,
// libssh2 also ends a call with LIBSSH2_ERROR_SOCKET_NONE when it took in a packet other
// than the one it waits for (the server's EXT_INFO before its SERVICE_ACCEPT, say): the
// call goes on at once, since more may be in its buffer already, and only a call that
// found the socket empty waits for it.
template <typename Step>
static int Drive(SshLink *link, Step step)
{
    enum { kMaxPacketsPassed = 64 };
    int passed = 0;
    for (;;) {
        int result = step();
        if (result == LIBSSH2_ERROR_SOCKET_NONE && ++passed < kMaxPacketsPassed)
            continue;
        if (result != LIBSSH2_ERROR_EAGAIN)
            return result;
        passed = 0;
        if (AwaitTraffic(link) != 0)
            return kWaitCut;
    }
}

void SshDrop(SshLink *link)
{
    link->dropped = true;
    if (link->sftp != nullptr)
        libssh2_sftp_shutdown(link->sftp);
    link->sftp = nullptr;
    if (link->session != nullptr)
        libssh2_session_free(link->session);
    link->session = nullptr;
}

static int FailWithText(SshLink *link, UINT captionId, const char *text)
{
    SshDrop(link);
    return ReportFailureText(captionId, text);
}

// A string-table format with up to two texts in it.
static int FailWith(SshLink *link, UINT formatId, const char *first, const char *second = "")
{
    char format[kBoxSize / 2], text[kBoxSize];
    LoadMessageText(formatId, format, sizeof format);
    snprintf(text, sizeof text, format, first, second);
    return FailWithText(link, IDS_SSH_CAPTION, text);
}

// A failed wait or socket call shows the socket's error; anything else libssh2's own words.
static int Fail(SshLink *link, int result)
{
    if (result == kWaitCut || ((result == LIBSSH2_ERROR_SOCKET_SEND ||
                                result == LIBSSH2_ERROR_SOCKET_RECV) && link->socketError != 0)) {
        int code = result == kWaitCut ? WSAGetLastError() : link->socketError;
        SshDrop(link);
        WSASetLastError(code);
        return ReportWinsockError();
    }
    char *message = nullptr;
    libssh2_session_last_error(link->session, &message, nullptr, 0);
    char number[16];
    wsprintfA(number, "%d", result);
    return FailWith(link, IDS_SSH_FAILED, message != nullptr ? message : "", number);
}

// The names Ovra offers for one kind of algorithm, comma-separated, into list.
static void OwnNames(LIBSSH2_SESSION *session, int method, char *list, size_t size)
{
    const char **names = nullptr;
    int count = libssh2_session_supported_algs(session, method, &names);
    list[0] = '\0';
    for (int i = 0; i < count; i++) {
        size_t used = strlen(list);
        snprintf(list + used, size - used, "%s%s", i > 0 ? "," : "", names[i]);
    }
    if (count > 0)
        libssh2_free(session, names);
}

// When the key exchange failed because the server offers nothing Ovra has of one kind:
// the box that says so, naming both sides' lists. False when that was not the reason.
static bool ReportNothingShared(SshLink *link)
{
    NameList server[kKexListCount];
    if (!ParseKexInit(link->capture, link->captured, server))
        return false;
    static const struct {
        KexList list;
        int method;
        UINT kindId;
    } kinds[] = {
        {kKexMethods, LIBSSH2_METHOD_KEX, IDS_SSH_KIND_KEX},
        {kHostKeyTypes, LIBSSH2_METHOD_HOSTKEY, IDS_SSH_KIND_HOSTKEY},
        {kCiphersOut, LIBSSH2_METHOD_CRYPT_CS, IDS_SSH_KIND_CIPHER},
        {kMacsOut, LIBSSH2_METHOD_MAC_CS, IDS_SSH_KIND_MAC},
    };
    for (const auto &kind : kinds) {
        char own[1024];
        OwnNames(link->session, kind.method, own, sizeof own);
        NameList ours = {own, strlen(own)};
        if (ShareName(&server[kind.list], &ours))
            continue;
        char format[kBoxSize / 2], name[kMessageLineSize], offered[1024], text[kBoxSize * 2];
        LoadMessageText(IDS_SSH_NO_SHARED, format, sizeof format);
        LoadMessageText(kind.kindId, name, sizeof name);
        snprintf(offered, sizeof offered, "%.*s", (int)server[kind.list].length, server[kind.list].text);
        snprintf(text, sizeof text, format, name, offered, own);
        FailWithText(link, IDS_SSH_CAPTION, text);
        return true;
    }
    return false;
}

int SshStart(SshLink *link, SOCKET s)
{
    link->socket = s;
    link->session = nullptr;
    link->sftp = nullptr;
    link->dropped = false;
    link->socketError = 0;
    link->captured = 0;
    link->session = libssh2_session_init_ex(nullptr, nullptr, nullptr, link);
    if (link->session == nullptr)
        return ReportRefusedText(IDS_NO_MEMORY);
    libssh2_session_callback_set2(link->session, LIBSSH2_CALLBACK_RECV, (libssh2_cb_generic *)Receive);
    libssh2_session_callback_set2(link->session, LIBSSH2_CALLBACK_SEND, (libssh2_cb_generic *)Send);
    libssh2_session_set_blocking(link->session, 0);
    int result = Drive(link, [&] { return libssh2_session_handshake(link->session, s); });
    if (result == 0)
        return 0;
    if (result != kWaitCut && ReportNothingShared(link))
        return -1;
    return Fail(link, result);
}

void SshHostKey(SshLink *link, char type[kHostKeyTypeSize], char fingerprint[kFingerprintTextSize])
{
    const char *method = libssh2_session_methods(link->session, LIBSSH2_METHOD_HOSTKEY);
    lstrcpynA(type, method != nullptr ? method : "", kHostKeyTypeSize);
    const char *hash = libssh2_hostkey_hash(link->session, LIBSSH2_HOSTKEY_HASH_SHA256);
    if (hash != nullptr)
        FormatSha256Fingerprint((const unsigned char *)hash, fingerprint);
    else
        fingerprint[0] = '\0';
}

int SshLogin(SshLink *link, const LoginInfo *login)
{
    LIBSSH2_SESSION *session = link->session;
    auto userLength = (unsigned)strlen(login->user);
    bool withKey = login->keyFile[0] != '\0';
    int result = Drive(link, [&] {
        if (withKey)
            return libssh2_userauth_publickey_fromfile_ex(session, login->user, userLength, nullptr,
                                                          login->keyFile, login->passphrase);
        return libssh2_userauth_password_ex(session, login->user, userLength, login->password,
                                            (unsigned)strlen(login->password), nullptr);
    });
    if (result == 0)
        return 0;
    bool refused = result == LIBSSH2_ERROR_AUTHENTICATION_FAILED ||
                   result == LIBSSH2_ERROR_PUBLICKEY_UNVERIFIED;
    if (withKey && result == LIBSSH2_ERROR_FILE)
        return FailWith(link, IDS_SSH_KEY_UNUSABLE, login->keyFile);
    if (withKey && refused)
        return FailWith(link, IDS_SSH_KEY_REFUSED, login->keyFile, login->user);
    if (refused)
        return FailWith(link, IDS_SSH_PASSWORD_REFUSED, login->user);
    return Fail(link, result);
}

// An SFTP call that failed with the server's status names the file and that status.
static int FailOnFile(SshLink *link, int result, const char *path)
{
    if (result != LIBSSH2_ERROR_SFTP_PROTOCOL || link->sftp == nullptr)
        return Fail(link, result);
    char status[16];
    wsprintfA(status, "%lu", libssh2_sftp_last_error(link->sftp));
    return FailWith(link, IDS_SFTP_REFUSED, path, status);
}

int SshWriteFile(SshLink *link, const char *path, const char *text, int length)
{
    LIBSSH2_SESSION *session = link->session;
    int result = 0;
    if (link->sftp == nullptr) {
        result = Drive(link, [&] {
            link->sftp = libssh2_sftp_init(session);
            return link->sftp != nullptr ? 0 : libssh2_session_last_errno(session);
        });
        if (result != 0)
            return Fail(link, result);
    }
    LIBSSH2_SFTP_HANDLE *file = nullptr;
    result = Drive(link, [&] {
        file = libssh2_sftp_open_ex(link->sftp, path, (unsigned)strlen(path),
                                    LIBSSH2_FXF_WRITE | LIBSSH2_FXF_CREAT | LIBSSH2_FXF_TRUNC, 0644,
                                    LIBSSH2_SFTP_OPENFILE);
        return file != nullptr ? 0 : libssh2_session_last_errno(session);
    });
    if (result != 0)
        return FailOnFile(link, result, path);
    for (int written = 0; written < length;) {
        result = Drive(link, [&] {
            return (int)libssh2_sftp_write(file, text + written, (size_t)(length - written));
        });
        if (result < 0)
            return FailOnFile(link, result, path);
        written += result;
    }
    // The server's answer to the close says whether the file is whole.
    result = Drive(link, [&] { return libssh2_sftp_close_handle(file); });
    return result == 0 ? 0 : FailOnFile(link, result, path);
}

int SshFinish(SshLink *link)
{
    int result = 0;
    if (link->sftp != nullptr) {
        result = Drive(link, [&] { return libssh2_sftp_shutdown(link->sftp); });
        if (result != kWaitCut)
            link->sftp = nullptr;  // freed whatever it answered
    }
    if (result == 0)
        result = Drive(link, [&] {
            return libssh2_session_disconnect_ex(link->session, SSH_DISCONNECT_BY_APPLICATION, "", "");
        });
    if (result != 0)
        return Fail(link, result);
    SshDrop(link);
    if (NetClose(link->socket) != 0)
        return ReportWinsockError();
    return 0;
}
