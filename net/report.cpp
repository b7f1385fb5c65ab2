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
    LoadText(textId, text);
    return ShowText(style, captionId, text, owner);
}

int ShowText(UINT style, UINT captionId, const char *text, HWND owner)
{
    char caption[kTextSize];
    LoadText(captionId, caption);
    MessageBeep(style);
    // While the main window is hidden or minimised (Auto Post at start, a posting from the
    // command line, closing) nothing else would bring the box before the user's windows.
    if (owner == nullptr || !IsWindowVisible(owner) || IsIconic(owner))
        style |= MB_SETFOREGROUND;
    return MessageBoxA(owner, text, caption, style);
}

int ShowFileMessage(UINT style, UINT captionId, UINT formatId, const char *path, HWND owner)
{
    char format[kTextSize * 2];
    char text[1025];  // wsprintfA writes at most 1,024 characters and the terminator
    if (LoadStringA(g_hInstance, formatId, format, sizeof format) == 0)
        lstrcpyA(format, "%s");
    wsprintfA(text, format, path);
    return ShowText(style, captionId, text, owner);
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
    ShowText(MB_ICONERROR, IDS_FTP_ERROR, reply, g_hMainWindow);
    if (NetRestart() != 0)
        return ReportWinsockError();
    return -1;
}
