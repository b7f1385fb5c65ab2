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
    ShowText(MB_ICONERROR, captionId, text, g_hMainWindow);
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
