#include "app/mainwindow.h"

#include "app/appstate.h"
#include "app/ctl3d.h"
#include "app/handover.h"
#include "app/help.h"
#include "app/presencewindow.h"
#include "app/trayicon.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/transcript.h"
#include "post/post.h"
#include "query/querybox.h"
#include "res/resource.h"
#include "settings/dialogs.h"
#include "settings/values.h"
#include "settings/profile.h"

enum { kOutputPaneStyle = 0x503008C4, kPanePoints = 10 };

static void CreateOutputPane(HWND window)
{
    g_hOutputPane = CreateWindowExA(0, "EDIT", "", kOutputPaneStyle, 0, 0, 1, 1, window,
                                    (HMENU)0, g_hInstance, nullptr);
}

// The stock fixed font is a raster font drawn for 96 dots per inch and stays that small on
// a screen scaled larger. There a TrueType fixed-pitch font as wide per character as the
// stock one at 96 (10 points), scaled to the screen, keeps the pane as legible as the menu.
static HFONT CreatePaneFont(void)
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (dpi <= USER_DEFAULT_SCREEN_DPI)
        return (HFONT)GetStockObject(SYSTEM_FIXED_FONT);
    return CreateFontA(-MulDiv(kPanePoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, "Courier New");
}

static void ReleasePaneFont(void)
{
    HGDIOBJ font = (HGDIOBJ)SendMessageA(g_hOutputPane, WM_GETFONT, 0, 0);
    SendMessageA(g_hOutputPane, WM_SETFONT, 0, 0);
    DeleteObject(font);  // a stock font is left as it is
}

int InitMainWindow(int *autoPostFlag, LoginInfo *loginInfo)
{
    int result = NetStartup();
    if (result != 0) {
        WSASetLastError(result);
        return ReportWinsockError();
    }
    LoadLoginInfo(loginInfo);
    CreateOutputPane(g_hMainWindow);
    StartPresence(g_hMainWindow);
    *autoPostFlag = ReadSettingInt(kAutoPost);
    if (*autoPostFlag == 1) {
        IssueCommand(IDM_POST_ON);
        CheckMenuItem(GetMenu(g_hMainWindow), IDM_AUTO_POST, MF_BYCOMMAND | MF_CHECKED);
    }
    SendMessageA(g_hOutputPane, WM_SETFONT, (WPARAM)CreatePaneFont(), 0);
    return 0;
}

int ExitMainWindow(int autoPostFlag)
{
    // An exchange still waiting loses its window now: end it quietly first.
    NetAbandon();
    if (autoPostFlag != 0)
        IssueCommand(IDM_POST_OFF);
    int result = NetCleanup();
    if (result != 0) {
        WSASetLastError(result);
        return ReportWinsockError();
    }
    return 0;
}

typedef BOOL(WINAPI *ShutdownReasonCreate)(HWND, LPCWSTR);
typedef BOOL(WINAPI *ShutdownReasonDestroy)(HWND);

// Windows ends a session without destroying the window, so Auto Post's Off would be lost;
// post it here, holding the shutdown while it runs, and not again at WM_DESTROY. An exchange
// still waiting ends quietly first, as when the window closes: Off cannot wait behind it.
static void EndSession(void)
{
    if (g_AutoPostFlag == 0)
        return;
    HMODULE user = GetModuleHandleA("user32.dll");
    auto create = reinterpret_cast<ShutdownReasonCreate>(
        reinterpret_cast<void *>(GetProcAddress(user, "ShutdownBlockReasonCreate")));
    auto destroy = reinterpret_cast<ShutdownReasonDestroy>(
        reinterpret_cast<void *>(GetProcAddress(user, "ShutdownBlockReasonDestroy")));
    if (create != nullptr)
        create(g_hMainWindow, L"Posting the status Off");
    NetAbandon();
    IssueCommand(IDM_POST_OFF);
    g_AutoPostFlag = 0;
    if (destroy != nullptr)
        destroy(g_hMainWindow);
}

int ClearOutput(void)
{
    SendMessageA(g_hOutputPane, WM_SETTEXT, 0, (LPARAM) "");
    char title[kAppTitleSize];
    LoadStringA(g_hInstance, IDS_APP_TITLE, title, sizeof title);
    SetWindowTextA(g_hMainWindow, title);
    return 0;
}

BOOL SaveWindowPosition(void)
{
    RECT r;
    GetWindowRect(g_hMainWindow, &r);
    WriteProfileInt(WINDOW_SECTION, "X", r.left, ProfilePath());
    WriteProfileInt(WINDOW_SECTION, "Y", r.top, ProfilePath());
    WriteProfileInt(WINDOW_SECTION, "Width", r.right - r.left, ProfilePath());
    return WriteProfileInt(WINDOW_SECTION, "Height", r.bottom - r.top, ProfilePath());
}

INT_PTR RunDialog(LPARAM parameter, DLGPROC procedure, const char *templateName, HWND owner)
{
    return DialogBoxParamA(g_hInstance, templateName, owner, procedure, parameter);
}

static void Exit(LPARAM lParam)
{
    g_ExitCode = LOWORD(lParam);
    DestroyWindow(g_hMainWindow);
}

// Only the user at the menu may be asked a question during a posting (a certificate to
// trust); a command sent from another process, now or queued, is a second start's word.
static bool MayAskUser(LPARAM lParam)
{
    return LOWORD(lParam) != kPostUnattended && !InSendMessage() && !RunningHandedOver();
}

// The user's own posting: its end tells presence whether the status now follows the user.
static void PostOwnStatus(WPARAM command, LPARAM lParam)
{
    int result = PostStatus((int)command, g_LoginInfo, MayAskUser(lParam));
    UserPostingEnded(g_hMainWindow, command == IDM_POST_ON, result);
}

static void RunPresenceDialog(void)
{
    if (RunDialog(0, PresenceBox, "Presence", g_hMainWindow) == IDOK)
        ApplyPresenceSettings(g_hMainWindow);
}

static void RunCommand(WPARAM command, LPARAM lParam)
{
    switch (command) {
    case IDM_POST_ON:       PostOwnStatus(IDM_POST_ON, lParam); break;
    case IDM_POST_OFF:      PostOwnStatus(IDM_POST_OFF, lParam); break;
    case IDM_FINGER:        RunDialog(0, FingerBox, "Finger", g_hOutputPane); break;
    case IDM_WEB:           RunDialog(0, WebBox, "Web", g_hOutputPane); break;
    case IDM_HELP_CONTENTS: ShowHelp(false); break;
    case IDM_EXIT:          Exit(lParam); break;
    case IDM_FTP_LOGIN:     RunDialog((LPARAM)&g_LoginInfo, LoginBox, "Login", g_hMainWindow); break;
    case IDM_ABOUT:         RunDialog(0, AboutBox, "About", g_hMainWindow); break;
    case IDM_SAVE_POSITION: SaveWindowPosition(); break;
    case IDM_COPY:          SendMessageA(g_hOutputPane, WM_COPY, 0, 0); break;
    case IDM_HELP_SEARCH:   ShowHelp(true); break;
    case IDM_CLEAR:         ClearOutput(); break;
    case IDM_AUTO_POST:     ToggleAutoPost(&g_AutoPostFlag); break;
    case IDM_TIME_ZONE:     RunDialog(0, TimezoneBox, "Timezone", g_hMainWindow); break;
    case IDM_UPLOAD_FILES:  RunDialog(0, UploadFileBox, "UploadFile", g_hMainWindow); break;
    case IDM_CONNECTION:    RunDialog(0, ConnectionBox, "Connection", g_hMainWindow); break;
    case IDM_LAST_EXCHANGE: ShowLastExchange(); break;
    case IDM_PRESENCE:      RunPresenceDialog(); break;
    case IDM_SHOW_OVRA:     RestoreMainWindow(g_hMainWindow); break;
    case IDM_RETRY_NOW:     RetryPresenceNow(g_hMainWindow); break;
    }
}

static void SetBusyCursor(WPARAM busy)
{
    g_BusyMode = (int)busy;
    SetCursor(LoadCursorA(nullptr, busy == 1 ? IDC_WAIT : IDC_ARROW));
}

LRESULT CALLBACK MainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        g_hMainWindow = window;
        InitMainWindow(&g_AutoPostFlag, &g_LoginInfo);
        return 0;
    case WM_DESTROY:
        StopPresence(window);
        Ctl3dStop(g_hInstance);
        ExitMainWindow(g_AutoPostFlag);
        DropQueuedCommands();  // those handed over meanwhile too
        ReleasePaneFont();
        PostQuitMessage(g_ExitCode);
        return 0;
    case WM_SIZE:
        // With the icon on, a minimised window lives in the notification area.
        if (wParam == SIZE_MINIMIZED && TrayIconShown())
            ShowWindow(window, SW_HIDE);
        MoveWindow(g_hOutputPane, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_hOutputPane);
        return 0;
    case WM_SETCURSOR:
        if (g_BusyMode == 0)
            break;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        return TRUE;
    case WM_COMMAND:
        return ReceiveCommand(window, wParam, lParam, RunCommand);
    case WM_RUN_QUEUED:
        RunQueuedCommands(window, RunCommand);
        return 0;
    case WM_TIMER:
        if (wParam == kPresenceTimerId)
            PresenceTimer(window);
        else
            WatchdogExpired();
        return 0;
    case WM_PRESENCE:
        RunPresence(window);
        return 0;
    case WM_WTSSESSION_CHANGE:
        PresenceSessionChange(window, wParam);
        return 0;
    case WM_POWERBROADCAST:
        PresencePowerEvent(window, wParam);
        return TRUE;
    case WM_TRAY_ICON:
        TrayIconEvent(window, lParam);
        return 0;
    case WM_USER:
        SetBusyCursor(wParam);
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            EndSession();
        return 0;
    }
    if (IsTaskbarCreated(message))
        PresenceTaskbarCreated(window);
    return DefWindowProcA(window, message, wParam, lParam);
}
