#include "net/report.h"

#include <string.h>

#include "app/appstate.h"
#include "app/message.h"
#include "net/exchange.h"
#include "net/netio.h"
#include "net/reply.h"
#include "net/watchdog.h"
#include "res/resource.h"

static void LoadLine(UINT id, char *text)
{
    LoadMessageText(id, text, kMessageLineSize);
}

// Winsock shares the thread's last-error value with USER calls, so read it first.
int ReportWinsockError(void)
{
    int code = WSAGetLastError();
    if (code == kNetAbandoned)
        return -1;
    EndExchange();
    ShowMessage(MB_ICONERROR, IDS_WINSOCK_ERROR, (UINT)code, g_hMainWindow);
    NetRestart();
    return -1;
}

int ReportFailureText(UINT captionId, const char *text)
{
    EndExchange();
    ShowText(MB_ICONERROR, captionId, text, g_hMainWindow);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}

int ReportFailure(UINT captionId, UINT textId, long status)
{
    char format[kMessageLineSize];
    char text[kMessageLineSize + 16];
    LoadLine(textId, format);
    wsprintfA(text, format, status);
    return ReportFailureText(captionId, text);
}

int ReportRefusedText(UINT textId)
{
    char text[kMessageLineSize];
    LoadLine(textId, text);
    return ReportFailureText(IDS_ERROR, text);
}

int ReportServerError(const char *reply, UINT hintId)
{
    // A server that closed before sending anything would give an empty box.
    char noReply[kMessageLineSize];
    if (reply[0] == '\0') {
        LoadLine(IDS_NO_REPLY, noReply);
        reply = noReply;
    }
    if (hintId == 0)
        return ReportFailureText(IDS_FTP_ERROR, reply);
    // The reply as it came, then the hint on a line of its own after a blank line.
    char hint[kMessageLineSize];
    LoadLine(hintId, hint);
    char text[kReplySize + kMessageLineSize + 8];
    size_t length = strlen(reply);
    memcpy(text, reply, length);
    if (length == 0 || reply[length - 1] != '\n') {
        memcpy(text + length, "\r\n", 2);
        length += 2;
    }
    memcpy(text + length, "\r\n", 2);
    strcpy(text + length + 2, hint);
    return ReportFailureText(IDS_FTP_ERROR, text);
}

int EndExchangeQuietly(void)
{
    EndExchange();
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}

int WatchdogExpired(void)
{
    DisarmWatchdog();
    if (NetCancelWait() == 0)
        return 0;
    return ReportWinsockError();
}
