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
    DWORD mySize, otherSize;
    const void *mine = VersionResource(GetModuleHandleW(nullptr), &mySize);
    HMODULE other = LoadLibraryExW(image, nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (mine == nullptr || other == nullptr) {
        if (other != nullptr)
            FreeLibrary(other);
        return false;
    }
    const void *theirs = VersionResource(other, &otherSize);
    bool same = theirs != nullptr && otherSize == mySize && memcmp(mine, theirs, mySize) == 0;
    FreeLibrary(other);
    return same;
}

bool IsCopyOfThisProgram(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    WCHAR theirs[kImagePathSize], mine[kImagePathSize];
    if (processId == 0 || !ProcessImage(processId, theirs))
        return false;
    DWORD length = GetModuleFileNameW(nullptr, mine, kImagePathSize);
    if (length > 0 && length < kImagePathSize && lstrcmpiW(mine, theirs) == 0)
        return true;
    return SameVersion(theirs);
}
