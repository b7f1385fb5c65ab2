#include "net/report.h"

#include <stdio.h>

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "net/netio.h"
#include "net/watchdog.h"
#include "res/resource.h"

enum { kTextSize = 128 };

// Codes outside the string table still get a box that names them.
static void LoadText(UINT id, char *text)
{
    if (LoadStringA(g_hInstance, id, text, kTextSize) == 0)
        snprintf(text, kTextSize, "[%u] Unknown error", id);
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

// The exchange ends: watchdog off, busy mode off, the box, every socket closed.
static int EndWithBox(UINT captionId, UINT textId)
{
    DisarmWatchdog();
    SetBusy(0);
    ShowMessage(MB_ICONERROR, captionId, textId, g_hMainWindow);
    NetReset();
    return -1;
}

// Winsock shares the thread's last-error value with USER calls, so read it first.
int ReportWinsockError(void)
{
    int code = WSAGetLastError();
    if (code == kNetAbandoned)
        return -1;
    return EndWithBox(IDS_WINSOCK_ERROR, (UINT)code);
}

int ReportRefusedText(UINT textId)
{
    return EndWithBox(IDS_ERROR, textId);
}

int ReportServerError(const char *reply)
{
    DisarmWatchdog();
    SetBusy(0);
    char caption[kTextSize];
    LoadText(IDS_FTP_ERROR, caption);
    // A server that closed before sending anything would give an empty box.
    char noReply[kTextSize];
    if (reply[0] == '\0') {
        LoadText(IDS_NO_REPLY, noReply);
        reply = noReply;
    }
    MessageBeep(MB_ICONERROR);
    MessageBoxA(g_hMainWindow, reply, caption, MB_ICONERROR);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}
