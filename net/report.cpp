#include "net/report.h"

#include <string.h>

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/watchdog.h"
#include "res/resource.h"

enum { kTextSize = 128 };

// Codes outside the string table still get a box that names them.
void LoadMessageText(UINT id, char *text, int size)
{
    if (LoadStringA(g_hInstance, id, text, size) == 0)
        wsprintfA(text, "[%u] Unknown error", id);
}

static void LoadText(UINT id, char *text)
{
    LoadMessageText(id, text, kTextSize);
}

int ShowMessage(UINT style, UINT captionId, UINT textId, HWND owner)
{
    char text[kTextSize];
    char caption[kTextSize];
    LoadText(textId, text);
    LoadText(captionId, caption);
    MessageBeep(style);
    return MessageBoxA(owner, text, caption, style);
}

// Winsock shares the thread's last-error value with USER calls, so read it first.
int ReportWinsockError(void)
{
    int code = WSAGetLastError();
    if (code == kNetAbandoned)
        return -1;
    DisarmWatchdog();
    SetBusy(0);
    ShowMessage(MB_ICONERROR, IDS_WINSOCK_ERROR, (UINT)code, g_hMainWindow);
    NetReset();
    return -1;
}

int ReportFailureText(UINT captionId, const char *text)
{
    DisarmWatchdog();
    SetBusy(0);
    char caption[kTextSize];
    LoadText(captionId, caption);
    MessageBeep(MB_ICONERROR);
    MessageBoxA(g_hMainWindow, text, caption, MB_ICONERROR);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}

int ReportFailure(UINT captionId, UINT textId, long status)
{
    char format[kTextSize];
    char text[kTextSize + 16];
    LoadText(textId, format);
    wsprintfA(text, format, status);
    return ReportFailureText(captionId, text);
}

int ReportRefusedText(UINT textId)
{
    char text[kTextSize];
    LoadText(textId, text);
    return ReportFailureText(IDS_ERROR, text);
}

int ReportServerError(const char *reply, UINT hintId)
{
    // A server that closed before sending anything would give an empty box.
    char noReply[kTextSize];
    if (reply[0] == '\0') {
        LoadText(IDS_NO_REPLY, noReply);
        reply = noReply;
    }
    if (hintId == 0)
        return ReportFailureText(IDS_FTP_ERROR, reply);
    // The reply as it came, then the hint on a line of its own after a blank line.
    char hint[kTextSize];
    LoadText(hintId, hint);
    char text[kReplySize + kTextSize + 8];
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
    DisarmWatchdog();
    SetBusy(0);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}
