#include "net/report.h"

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
        wsprintfA(text, "[%u] Unknown error", id);
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

int ReportServerError(const char *reply)
{
    DisarmWatchdog();
    SetBusy(0);
    char caption[kTextSize];
    LoadText(IDS_FTP_ERROR, caption);
    MessageBeep(MB_ICONERROR);
    MessageBoxA(g_hMainWindow, reply, caption, MB_ICONERROR);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}
