#include "app/systemdll.h"

#include "app/paths.h"

typedef BOOL(WINAPI *SetDefaultDirectories)(DWORD);

void RestrictDllSearch(void)
{
    auto setDirectories = reinterpret_cast<SetDefaultDirectories>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDirectories == nullptr || !setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        SetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(path, sizeof path);
    if (length == 0 || length >= sizeof path || !AppendPath(path, sizeof path, name))
        return nullptr;
    // By its full path a module already loaded is found again without another reference.
    HMODULE library = GetModuleHandleA(path);
    return library != nullptr ? library : LoadLibraryA(path);
}

FARPROC SystemFunction(const char *library, const char *name)
{
    HMODULE module = LoadSystemLibrary(library);
    return module == nullptr ? nullptr : GetProcAddress(module, name);
}
