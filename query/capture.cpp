#include "query/capture.h"

#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/connect.h"
#include "net/exchange.h"
#include "net/netio.h"
#include "net/report.h"
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
        int result = NetRecv(s, answer + count, kAnswerSize - count);
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
    return 0;
}

int CaptureResponse(SOCKET s, const char *title, bool http10)
{
    HGLOBAL receiveBlock;
    char *received = ObtainBlock(kAnswerSize + 1, &receiveBlock);
    if (received == nullptr) {
        NetClose(s);
        EndExchange();
        ReportNoMemory();
        return -1;
    }
    int count = ReceiveAnswer(s, received);
    if (count == SOCKET_ERROR || NetClose(s) != 0) {
        ReportWinsockError();
        ReleaseBlock(receiveBlock);
        return -1;
    }
    EndExchange();
    if (http10)
        count = (int)HttpAnswerForPane(received, (size_t)count);
    received[count] = '\0';
    return ShowAnswer(receiveBlock, received, count, title);
}

// The HTTP/1.0 request, its Host line naming the port the connection went to unless it is 80.
static int SendHttpRequest(SOCKET s, const QueryRequest *request)
{
    struct sockaddr_in peer;
    int size = sizeof peer;
    if (getpeername(s, (struct sockaddr *)&peer, &size) != 0)
        return SOCKET_ERROR;
    char text[kHttpRequestSize];
    FormatHttpRequest(request->host, request->path, ntohs(peer.sin_port), OVRA_USER_AGENT, text,
                      sizeof text);
    return NetSendAll(s, text, (int)strlen(text));
}

int RunQuery(char *query, const char *service,
             void (*make)(char *query, const char *appTitle, QueryRequest *request), bool http10)
{
    BeginExchange();
    char appTitle[kQuerySize];
    LoadStringA(g_hInstance, IDS_APP_TITLE, appTitle, sizeof appTitle);
    QueryRequest request;
    make(query, appTitle, &request);
    SOCKET s = ConnectService("tcp", service, request.host);
    if (s == INVALID_SOCKET)
        return -1;
    int sent = http10 ? SendHttpRequest(s, &request)
                      : NetSendAll(s, request.line, (int)strlen(request.line));
    if (sent == SOCKET_ERROR)
        return ReportWinsockError();
    return CaptureResponse(s, request.title, http10);
}
