#include "process.h"

#include <stdlib.h>

std::string WindowsPath(const std::string &unixPath)
{
    std::string path = "Z:" + unixPath;
    for (char &c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::string OvraExePath()
{
    const char *unixPath = getenv("OVRA_EXE");
    return unixPath == nullptr ? "ovra.exe" : WindowsPath(unixPath);
}

OvraProcess LaunchOvra(const std::string &arguments, const std::string &exe,
                       const char *directory)
{
    std::string line = "\"" + (exe.empty() ? OvraExePath() : exe) + "\"";
    if (!arguments.empty())
        line += " " + arguments;
    return LaunchCommandLine(line, directory);
}

OvraProcess LaunchCommandLine(const std::string &line, const char *directory)
{
    OvraProcess p;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> text(line.begin(), line.end());
    text.push_back('\0');
    // Under a loaded Wine, a start right after another process ended has failed once in a
    // while; it is tried again before the test is failed for it.
    for (int attempt = 0; attempt < 3 && !p.started; attempt++) {
        if (attempt > 0)
            Sleep(200);
        p.started = CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   directory, &startup, &p.info) != FALSE;
        p.error = p.started ? 0 : GetLastError();
    }
    return p;
}

struct Search {
    DWORD pid;
    const char *className;
    HWND found;
};

static BOOL CALLBACK MatchWindow(HWND window, LPARAM lParam)
{
    Search *s = reinterpret_cast<Search *>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (pid == s->pid && lstrcmpA(name, s->className) == 0) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

static HWND FindProcessWindow(DWORD pid, const char *className)
{
    Search s = {pid, className, nullptr};
    EnumWindows(MatchWindow, (LPARAM)&s);
    return s.found;
}

HWND WaitForMainWindow(const OvraProcess &p, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND window = FindProcessWindow(p.info.dwProcessId, "OvraMain");
        if (window != nullptr && IsWindowVisible(window))
            return window;
        if (WaitForSingleObject(p.info.hProcess, 20) == WAIT_OBJECT_0)
            return nullptr;
    }
    return nullptr;
}

static HWND FindBox(const OvraProcess &p)
{
    HWND box = FindProcessWindow(p.info.dwProcessId, "#32770");
    return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

HWND WaitForBox(const OvraProcess &p, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    HWND box = nullptr;
    while (box == nullptr && GetTickCount() - start < timeoutMs &&
           WaitForSingleObject(p.info.hProcess, 20) == WAIT_TIMEOUT)
        box = FindBox(p);
    return box;
}

SeenBox CloseBox(HWND box)
{
    SeenBox seen = {WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))};
    SendMessageA(box, WM_COMMAND, IDOK, 0);
    return seen;
}

int WaitForExit(OvraProcess &p, std::vector<SeenBox> *boxes, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (WaitForSingleObject(p.info.hProcess, 20) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs)
            return -1;
        HWND box = FindBox(p);
        if (box == nullptr)
            continue;
        SeenBox seen = CloseBox(box);
        if (boxes != nullptr)
            boxes->push_back(seen);
    }
    DWORD code = 0;
    GetExitCodeProcess(p.info.hProcess, &code);
    return (int)code;
}

void EndOvra(OvraProcess &p)
{
    if (!p.started)
        return;
    if (WaitForSingleObject(p.info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(p.info.hProcess, 99);
        WaitForSingleObject(p.info.hProcess, 5000);
    }
    CloseHandle(p.info.hThread);
    CloseHandle(p.info.hProcess);
    p.started = false;
}
