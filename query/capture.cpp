#include "query/capture.h"

#include <stdio.h>
#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/connect.h"
#include "net/channel.h"
#include "net/exchange.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/tls.h"
#include "net/transcript.h"
#include "net/trust.h"
#include "net/watchdog.h"
#include "query/http.h"
#include "query/lineends.h"
#include "res/resource.h"

static char *ObtainBlock(SIZE_T size, HGLOBAL *block)
{
    *block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (*block == nullptr)
        return nullptr;
    char *bytes = (char *)GlobalLock(*block);
    if (bytes == nullptr)
        GlobalFree(*block);
    return bytes;
}

static int ReleaseBlock(HGLOBAL block)
{
    if (GlobalUnlock(block) == 0 && GlobalFree(block) == nullptr)
        return 0;
    ShowMessage(MB_ICONERROR, IDS_ERROR, IDS_FREE_FAILED, g_hMainWindow);
    return -1;
}

static void ReportNoMemory(void)
{
    ShowMessage(MB_ICONERROR, IDS_ERROR, IDS_NO_MEMORY, g_hMainWindow);
}

// Reads until the end of the stream, a failure, or kAnswerSize bytes. Returns the count,
// or SOCKET_ERROR with the code set.
static int ReceiveAnswer(SOCKET s, char *answer)
{
    int count = 0;
    while (count < kAnswerSize) {
        int result = ChannelRecv(s, answer + count, kAnswerSize - count);
        if (result == SOCKET_ERROR)
            return SOCKET_ERROR;
        if (result == 0)
            break;
        count += result;
    }
    return count;
}

// The receive block is done with; the converted answer replaces pane and title together.
static int ShowAnswer(HGLOBAL receiveBlock, const char *received, int count, const char *title)
{
    HGLOBAL displayBlock;
    char *display = ObtainBlock(2 * (SIZE_T)count + 1, &displayBlock);
    if (display == nullptr) {
        ReleaseBlock(receiveBlock);
        ReportNoMemory();
        return -1;
    }
    ExpandLineFeeds(received, (size_t)count, display);
    if (ReleaseBlock(receiveBlock) != 0) {
        ReleaseBlock(displayBlock);
        return -1;
    }
    SetWindowTextA(g_hMainWindow, title);
    SendMessageA(g_hOutputPane, WM_SETTEXT, 0, (LPARAM)display);
    ReleaseBlock(displayBlock);
    char bytes[16];
    wsprintfA(bytes, "%d", count);
    TranscriptSucceeded(IDS_LAST_SHOWN, bytes);
    return 0;
}

// Reads until the end of the stream and closes s: the count, or -1 after the failure has
// been reported, with the line of silenceHint when the watchdog cut the wait short.
static int ReadAnswer(SOCKET s, char *received, UINT silenceHint)
{
    int count = ReceiveAnswer(s, received);
    if (count == SOCKET_ERROR || ChannelClose(s) != 0) {
        ReportWinsockError(WSAGetLastError() == WSAEINTR ? silenceHint : 0);
        return -1;
    }
    return count;
}

int CaptureResponse(SOCKET s, const char *title, bool http10, UINT silenceHint)
{
    HGLOBAL receiveBlock;
    char *received = ObtainBlock(kAnswerSize + 1, &receiveBlock);
    if (received == nullptr) {
        ChannelClose(s);
        EndExchange();
        ReportNoMemory();
        return -1;
    }
    int count = ReadAnswer(s, received, silenceHint);
    if (count < 0) {
        ReleaseBlock(receiveBlock);
        return -1;
    }
    EndExchange();
    if (http10)
        count = (int)HttpAnswerForPane(received, (size_t)count);
    received[count] = '\0';
    return ShowAnswer(receiveBlock, received, count, title);
}

// The HTTP/1.0 request, its Host line naming the port the connection went to unless it is
// the scheme's own.
static int SendHttpRequest(SOCKET s, const QueryRequest *request)
{
    NetAddress peer;
    if (!SocketAddress(s, true, &peer))
        return SOCKET_ERROR;
    char text[kHttpRequestSize];
    FormatHttpRequest(request->host, request->path, AddressPort(&peer), OVRA_USER_AGENT, text,
                      sizeof text, request->secure ? 443 : 80);
    return ChannelSendAll(s, text, (int)strlen(text));
}

// The connection for request, with TLS and a certificate the user trusts for https, and
// the request sent on it. The socket, or INVALID_SOCKET after the failure was reported.
static SOCKET OpenQuery(const QueryRequest *request, const char *service, bool http10)
{
    SOCKET s = ConnectService("tcp", request->secure ? "https" : service, request->host,
                              request->port);
    if (s == INVALID_SOCKET)
        return s;
    TranscriptOpened(s, kLinkQuery, IDS_LAST_CONNECTED);
    if (request->secure && (TlsStart(s, request->host, IDS_ERROR) != 0 ||
                            TrustServerCertificate(s, request->host, true) != 0))
        return INVALID_SOCKET;
    int sent = http10 ? SendHttpRequest(s, request)
                      : ChannelSendAll(s, request->line, (int)strlen(request->line));
    if (sent == SOCKET_ERROR)
        return ReportWinsockError(), INVALID_SOCKET;
    return s;
}

int ReadQueryAnswer(SOCKET s, char *answer)
{
    return ReadAnswer(s, answer, 0);
}

int FetchWebAnswer(const char *address, char *answer)
{
    char parts[kUrlSize];
    lstrcpynA(parts, address, sizeof parts);
    QueryRequest request;
    MakeWebAddressRequest(parts, "", &request);
    SOCKET s = OpenQuery(&request, "http", true);
    return s == INVALID_SOCKET ? -1 : ReadAnswer(s, answer, 0);
}

// The transcript's title (string titleFormat) names the query as typed.
static void BeginQuery(char *query, void (*make)(char *, const char *, QueryRequest *),
                       QueryRequest *request, UINT titleFormat)
{
    BeginExchange();
    TranscriptBegin(titleFormat, query);
    char appTitle[kQuerySize];
    LoadStringA(g_hInstance, IDS_APP_TITLE, appTitle, sizeof appTitle);
    make(query, appTitle, request);
}

int RunQuery(char *query, const char *service,
             void (*make)(char *query, const char *appTitle, QueryRequest *request), bool http10,
             UINT silenceHint)
{
    QueryRequest request;
    BeginQuery(query, make, &request,
               lstrcmpiA(service, "finger") == 0 ? IDS_LAST_FINGER : IDS_LAST_WEB);
    SOCKET s = OpenQuery(&request, service, http10);
    if (s == INVALID_SOCKET)
        return -1;
    return CaptureResponse(s, request.title, http10, silenceHint);
}

// The address request asks for, as a redirect's Location is resolved against.
static void RequestAddress(const QueryRequest *request, char *url)
{
    WebAddress address = {request->secure, request->host, request->port, request->path};
    FormatWebAddress(&address, url, kUrlSize);
}

enum { kFromRoom = kUrlSize + 64 };  // ahead of the answer: the line naming where it came from

int RunFollowingWebQuery(char *query)
{
    QueryRequest request;
    BeginQuery(query, MakeWebAddressRequest, &request, IDS_LAST_WEB);
    HGLOBAL block;
    char *start = ObtainBlock(kFromRoom + kAnswerSize + 1, &block);
    if (start == nullptr) {
        EndExchange();
        ReportNoMemory();
        return -1;
    }
    char *received = start + kFromRoom;
    char title[kQueryTitleSize], typed[kUrlSize], url[kUrlSize], parts[kUrlSize];
    lstrcpyA(title, request.title);
    RequestAddress(&request, typed);
    lstrcpyA(url, typed);
    int count;
    for (int redirects = 0;; redirects++) {
        ArmWatchdog();
        SOCKET s = OpenQuery(&request, "http", true);
        if (s == INVALID_SOCKET || (count = ReadAnswer(s, received, 0)) < 0) {
            ReleaseBlock(block);
            return -1;
        }
        char location[kUrlSize], next[kUrlSize];
        // The last answer is shown as it came: a sixth redirect, one to where this one
        // was, or one that leads nowhere a web query goes.
        if (redirects == kMaxRedirects ||
            !HttpRedirectTarget(received, (size_t)count, location, sizeof location) ||
            !ResolveLocation(url, location, next, sizeof next) || strcmp(next, url) == 0)
            break;
        lstrcpyA(url, next);
        lstrcpyA(parts, next);
        MakeWebAddressRequest(parts, "", &request);
    }
    EndExchange();
    count = (int)HttpAnswerForPane(received, (size_t)count);
    received[count] = '\0';
    if (strcmp(url, typed) != 0) {
        char format[64], from[kFromRoom];
        LoadStringA(g_hInstance, IDS_WEB_FROM, format, sizeof format);
        int length = snprintf(from, sizeof from, format, url);
        if (length > 0 && length < (int)sizeof from) {
            received -= length;
            memcpy(received, from, (size_t)length);
            count += length;
        }
    }
    return ShowAnswer(block, received, count, title);
}
