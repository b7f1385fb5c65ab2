#include "app/help.h"

#include <windows.h>
#include <shellapi.h>

#include "app/appstate.h"
#include "app/message.h"
#include "app/paths.h"
#include "app/systemdll.h"
#include "res/resource.h"
#include "settings/profile.h"

typedef HINSTANCE(WINAPI *ShellExecuteFunction)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);

static const char kPageFile[] = "ovra-help.html";
static const char kIndexFile[] = "ovra-help-index.html";
// Windows drops the fragment of a file it opens by its type, so the index is reached
// through a page of its own that sends the browser on to it.
static const char kIndexPage[] =
    "<!DOCTYPE html>\r\n<title>Ovra Help: Index</title>\r\n"
    "<meta http-equiv=\"refresh\" content=\"0; url=ovra-help.html#index\">\r\n"
    "<p><a href=\"ovra-help.html#index\">Ovra Help: Index</a>\r\n";

static bool HelpFile(const char *name, char *path)
{
    return OvraFolder(path) && AppendPath(path, kPathSize, name);
}

static bool WriteWholeFile(const char *path, const void *data, DWORD size)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool complete = WriteFile(file, data, size, &written, nullptr) && written == size;
    return CloseHandle(file) && complete;
}

// Written afresh each time, so that the page always describes this version.
static bool WritePage(const char *path)
{
    HRSRC found = FindResourceA(g_hInstance, "Help", RT_RCDATA);
    HGLOBAL loaded = found != nullptr ? LoadResource(g_hInstance, found) : nullptr;
    const void *page = loaded != nullptr ? LockResource(loaded) : nullptr;
    return page != nullptr && WriteWholeFile(path, page, SizeofResource(g_hInstance, found));
}

typedef BOOL(WINAPI *ShellExecuteExFunction)(SHELLEXECUTEINFOA *);

// winebrowser, Wine's bridge to the desktop's browser: its path under Wine, else false.
static bool WineBrowserBridge(char *program)
{
    UINT length = GetSystemDirectoryA(program, MAX_PATH);
    return length != 0 && length < MAX_PATH && AppendPath(program, MAX_PATH, "winebrowser.exe") &&
           GetFileAttributesA(program) != INVALID_FILE_ATTRIBUTES;
}

// The bridge hands the page to the first browser it finds (its Browsers setting, else
// xdg-open and the usual ones) and ends at once, with 0 only when one took the page. It is
// run itself, not through the .html association, which a prefix made without Wine's HTML
// engine lacks, and which ends well even when no browser exists. The window waits that
// short while.
static bool OpenThroughBridge(const char *program, const char *path)
{
    char line[MAX_PATH + kPathSize + 8];
    wsprintfA(line, "\"%s\" \"%s\"", program, path);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(program, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    DWORD code = 1;
    if (WaitForSingleObject(process.hProcess, 15000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        code = 0;  // still busy with the browser it started
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

// By the class of web pages, or of web addresses with the page's file: URL, when .html
// files open with no program (an association removed or never made).
static bool OpenAsClass(ShellExecuteExFunction execute, const char *className, const char *file)
{
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_CLASSNAME | SEE_MASK_FLAG_NO_UI;
    info.hwnd = g_hMainWindow;
    info.lpFile = file;
    info.lpClass = className;
    info.nShow = SW_SHOWNORMAL;
    return execute(&info) && (INT_PTR)info.hInstApp > 32;
}

static bool OpenInBrowser(const char *path)
{
    char bridge[MAX_PATH];
    if (WineBrowserBridge(bridge))
        return OpenThroughBridge(bridge, path);
    auto open = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void *>(SystemFunction("shell32.dll", "ShellExecuteA")));
    auto execute = reinterpret_cast<ShellExecuteExFunction>(
        reinterpret_cast<void *>(SystemFunction("shell32.dll", "ShellExecuteExA")));
    if (open != nullptr &&
        (INT_PTR)open(g_hMainWindow, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL) > 32)
        return true;
    char url[3 * kPathSize];
    return execute != nullptr &&
           (OpenAsClass(execute, "htmlfile", path) ||
            (FileUrl(path, url, sizeof url) && OpenAsClass(execute, "http", url)));
}

void ShowHelp(bool index)
{
    char page[kPathSize] = "";
    char shown[kPathSize] = "";
    bool ready = HelpFile(kPageFile, page) && WritePage(page);
    if (ready && index)
        ready = HelpFile(kIndexFile, shown) &&
                WriteWholeFile(shown, kIndexPage, sizeof kIndexPage - 1);
    else
        lstrcpyA(shown, page);
    if (!ready)
        ShowFileMessage(MB_ICONERROR, IDS_ERROR, IDS_HELP_UNAVAILABLE, shown, g_hMainWindow);
    else if (!OpenInBrowser(shown))
        ShowFileMessage(MB_ICONERROR, IDS_ERROR, IDS_HELP_NO_BROWSER, shown, g_hMainWindow);
}
