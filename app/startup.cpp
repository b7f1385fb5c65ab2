#include "app/startup.h"

#include "app/appstate.h"
#include "app/ctl3d.h"
#include "app/handover.h"
#include "app/mainwindow.h"
#include "app/samecopy.h"
#include "app/words.h"
#include "res/resource.h"
#include "settings/values.h"
#include "settings/profile.h"

static const char kSeparators[] = " /-";

// The longest a second start waits for the running copy to answer one word: the command
// it is in the middle of and the handed-over posting each end within the 65,535 ms
// watchdog, with time to spare for a box the user reads.
enum { kAnswerMs = 180000, kGonePollMs = 50 };

// False when target did not answer within the bound (hung, or busy past it).
static bool SendBounded(HWND target, WPARAM command, LPARAM lParam, DWORD_PTR *result)
{
    return SendMessageTimeoutA(target, WM_COMMAND, command, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                               kAnswerMs, result) != 0;
}

int ActivateRunningInstance(char *commandLine)
{
    HWND running = FindWindowA(MAIN_CLASS, nullptr);
    // Another program's window that took the class name gets no words: this copy runs them.
    if (running == nullptr || !IsCopyOfThisProgram(running))
        return 0;
    // A copy that does not answer at all is not waited for, not even by ShowWindow.
    DWORD_PTR ignored;
    if (SendMessageTimeoutA(running, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &ignored) == 0 ||
        !ProcessCommandLine(running, commandLine))
        return -1;
    ShowWindow(running, SW_RESTORE);
    // Windows lets the process the user just started hand the foreground on; SetFocus
    // cannot reach a window of another process.
    SetForegroundWindow(running);
    return 1;
}

// A running copy that queued the commands runs them once its own command has ended; this
// copy ends only after them, so wait until the Exit among them has destroyed the window.
static bool WaitUntilGone(HWND target)
{
    for (int polls = kAnswerMs / kGonePollMs; IsWindow(target) && polls > 0; polls--)
        Sleep(kGonePollMs);
    return !IsWindow(target);
}

// Every word is looked at, but Exit destroys the target, so only the first On or Off acts.
bool ProcessCommandLine(HWND target, char *commandLine)
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
        DWORD_PTR result = 0;
        if (!SendBounded(target, post, kPostUnattended, &result) ||
            !SendBounded(target, IDM_EXIT, 0, &result) ||
            (result == kCommandQueued && !WaitUntilGone(target)))
            return false;
    }
    return true;
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
