#include "app/help.h"

#include <windows.h>

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

static bool OpenInBrowser(const char *path)
{
    auto open = reinterpret_cast<ShellExecuteFunction>(
        reinterpret_cast<void *>(SystemFunction("shell32.dll", "ShellExecuteA")));
    return open != nullptr &&
           (INT_PTR)open(g_hMainWindow, nullptr, path, nullptr, nullptr, SW_SHOWNORMAL) > 32;
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
    if (!ready || !OpenInBrowser(shown))
        ShowFileMessage(MB_ICONERROR, IDS_ERROR, IDS_HELP_UNAVAILABLE, shown, g_hMainWindow);
}
