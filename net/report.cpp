#include "net/report.h"

#include <stdio.h>
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
    if (NetTakeQuietFailure())
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
    snprintf(text, sizeof text, format, status);
    return ReportFailureText(captionId, text);
}

int ReportServerError(const char *reply, UINT hintId)
{
    if (hintId == 0)
        return ReportFailureText(IDS_FTP_ERROR, reply);
    // The reply as it came, then the hint on a line of its own after a blank line.
    char hint[kTextSize];
    LoadText(hintId, hint);
    size_t length = strlen(reply);
    const char *lineEnd = length > 0 && reply[length - 1] == '\n' ? "" : "\r\n";
    char text[kReplySize + kTextSize + 4];
    snprintf(text, sizeof text, "%s%s\r\n%s", reply, lineEnd, hint);
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
