#include "app/startup.h"

#include "app/appstate.h"
#include "app/ctl3d.h"
#include "app/handover.h"
#include "app/mainwindow.h"
#include "app/words.h"
#include "res/resource.h"
#include "settings/values.h"
#include "settings/profile.h"

static const char kSeparators[] = " /-";

int ActivateRunningInstance(char *commandLine)
{
    HWND running = FindWindowA(MAIN_CLASS, nullptr);
    if (running == nullptr)
        return 0;
    ProcessCommandLine(running, commandLine);
    ShowWindow(running, SW_RESTORE);
    // Windows lets the process the user just started hand the foreground on; SetFocus
    // cannot reach a window of another process.
    SetForegroundWindow(running);
    return 1;
}

enum { kGonePollMs = 50 };

// A running copy that queued the commands runs them once its own command has ended; this
// copy ends only after them, so wait until the Exit among them has destroyed the window.
static void WaitUntilGone(HWND target)
{
    while (IsWindow(target))
        Sleep(kGonePollMs);
}

// Every word is looked at, but Exit destroys the target, so only the first On or Off acts.
void ProcessCommandLine(HWND target, char *commandLine)
{
    char *cursor = commandLine;
    for (char *word = NextWord(&cursor, kSeparators); word != nullptr;
         word = NextWord(&cursor, kSeparators)) {
        WPARAM post = 0;
        if (lstrcmpiA(word, "On") == 0)
            post = IDM_POST_ON;
        else if (lstrcmpiA(word, "Off") == 0)
            post = IDM_POST_OFF;
        if (post == 0)
            continue;
        SendMessageA(target, WM_COMMAND, post, kPostUnattended);
        if (SendMessageA(target, WM_COMMAND, IDM_EXIT, 0) == kCommandQueued)
            WaitUntilGone(target);
    }
}

static ATOM RegisterMainClass(void)
{
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainWindow;
    wc.hInstance = g_hInstance;
    wc.hIcon = LoadIconA(g_hInstance, "Main");
    wc.hCursor = nullptr;
    wc.hbrBackground = (HBRUSH)(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = "Main";
    wc.lpszClassName = MAIN_CLASS;
    return RegisterClassA(&wc);
}

static int ReadPosition(const char *key)
{
    return ReadProfileInt(WINDOW_SECTION, key, (int)CW_USEDEFAULT);
}

int InitApplication(int showCommand, char *commandLine)
{
    Ctl3dStart(g_hInstance);
    if (RegisterMainClass() == 0)
        return -1;
    char title[kAppTitleSize];
    LoadStringA(g_hInstance, IDS_APP_TITLE, title, sizeof title);
    int x = ReadPosition("X");
    int y = ReadPosition("Y");
    int width = ReadPosition("Width");
    int height = ReadPosition("Height");
    // Creation runs the whole of WM_CREATE, an Auto Post included; the handle it records
    // is the one every later step uses.
    if (CreateWindowExA(0, MAIN_CLASS, title, WS_OVERLAPPEDWINDOW, x, y, width, height, nullptr,
                        nullptr, g_hInstance, nullptr) == nullptr)
        return -1;
    ProcessCommandLine(g_hMainWindow, commandLine);
    int autoPost = ReadSettingInt(kAutoPost);
    ShowWindow(g_hMainWindow, autoPost != 0 ? SW_MINIMIZE : showCommand);
    return 0;
}

WORD RunMessageLoop(void)
{
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return LOWORD(msg.wParam);
}
