#include "app/trayicon.h"

#include <shellapi.h>

#include "app/appstate.h"
#include "app/systemdll.h"
#include "res/resource.h"

typedef BOOL(WINAPI *NotifyIcon)(DWORD, PNOTIFYICONDATAA);

static const char *const kTrayIcons[] = {"TrayUnknown", "TrayOn", "TrayOff"};

static struct {
    bool shown;
    TrayState state;
    char tip[128];
    UINT taskbarCreated;
} tray;

static bool Notify(DWORD action, NOTIFYICONDATAA *data)
{
    auto call = reinterpret_cast<NotifyIcon>(
        reinterpret_cast<void *>(SystemFunction("shell32.dll", "Shell_NotifyIconA")));
    return call != nullptr && call(action, data);
}

static void Describe(HWND window, NOTIFYICONDATAA *data)
{
    *data = {};
    data->cbSize = sizeof *data;
    data->hWnd = window;
    data->uID = 1;
}

static bool Update(HWND window, DWORD action)
{
    NOTIFYICONDATAA data;
    Describe(window, &data);
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = WM_TRAY_ICON;
    data.hIcon = (HICON)LoadImageA(g_hInstance, kTrayIcons[tray.state], IMAGE_ICON, 16, 16, 0);
    lstrcpynA(data.szTip, tray.tip[0] != '\0' ? tray.tip : "Ovra", sizeof data.szTip);
    return Notify(action, &data);
}

bool AddTrayIcon(HWND window)
{
    // The shell may still have it (a second add fails): then it is brought up to date.
    tray.shown = Update(window, NIM_ADD) || Update(window, NIM_MODIFY);
    if (tray.shown) {
        NOTIFYICONDATAA data;
        Describe(window, &data);
        data.uVersion = NOTIFYICON_VERSION_4;
        Notify(NIM_SETVERSION, &data);
    }
    return tray.shown;
}

void RemoveTrayIcon(HWND window)
{
    if (!tray.shown)
        return;
    NOTIFYICONDATAA data;
    Describe(window, &data);
    Notify(NIM_DELETE, &data);
    tray.shown = false;
}

bool TrayIconShown(void)
{
    return tray.shown;
}

void SetTrayStatus(HWND window, TrayState state, const char *tip)
{
    tray.state = state;
    lstrcpynA(tray.tip, tip, sizeof tray.tip);
    if (tray.shown)
        Update(window, NIM_MODIFY);
}

void ShowTrayBalloon(HWND window, const char *text)
{
    if (!tray.shown)
        return;
    NOTIFYICONDATAA data;
    Describe(window, &data);
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_WARNING | NIIF_RESPECT_QUIET_TIME;
    lstrcpyA(data.szInfoTitle, "Ovra");
    lstrcpynA(data.szInfo, text, sizeof data.szInfo);
    Notify(NIM_MODIFY, &data);
}

void RestoreMainWindow(HWND window)
{
    ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

// Its choices reach the window as a menu's do: the user's own commands.
static void ShowTrayMenu(HWND window)
{
    HMENU menu = LoadMenuA(g_hInstance, "Tray");
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(window);  // else the menu would not close when clicked elsewhere
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

void TrayIconEvent(HWND window, LPARAM lParam)
{
    switch (LOWORD(lParam)) {
    case WM_LBUTTONUP:
    case NIN_SELECT:
    case NIN_KEYSELECT:  RestoreMainWindow(window); break;
    case WM_CONTEXTMENU: ShowTrayMenu(window); break;
    }
}

bool IsTaskbarCreated(UINT message)
{
    if (tray.taskbarCreated == 0)
        tray.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    return message == tray.taskbarCreated;
}
