#include "app/samecopy.h"

#include <string.h>

enum { kImagePathSize = 1024 };

static bool ProcessImage(DWORD processId, WCHAR *path)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return false;
    DWORD size = kImagePathSize;
    bool found = QueryFullProcessImageNameW(process, 0, path, &size) != 0;
    CloseHandle(process);
    return found;
}

static const void *VersionResource(HMODULE module, DWORD *size)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    *size = found != nullptr ? SizeofResource(module, found) : 0;
    return loaded != nullptr ? LockResource(loaded) : nullptr;
}

// The image is read as data only: nothing of it runs here.
static bool SameVersion(const WCHAR *image)
{
    HMODULE other = LoadLibraryExW(image, nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (other == nullptr)
        return false;
    DWORD mySize, otherSize;
    const void *mine = VersionResource(GetModuleHandleW(nullptr), &mySize);
    const void *theirs = VersionResource(other, &otherSize);
    bool same = mine != nullptr && theirs != nullptr && otherSize == mySize &&
                memcmp(mine, theirs, mySize) == 0;
    FreeLibrary(other);
    return same;
}

// This very exe has its own version resource too: one test covers every copy.
bool IsCopyOfThisProgram(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    WCHAR image[kImagePathSize];
    return processId != 0 && ProcessImage(processId, image) && SameVersion(image);
}
