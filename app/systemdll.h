// DLLs come from the system folder only. Ovra is often started from Downloads, and a DLL
// of a known name planted there, or in the current directory, would otherwise run inside it.
#ifndef OVRA_SYSTEMDLL_H
#define OVRA_SYSTEMDLL_H

#include <windows.h>

// Limits the default DLL search of the whole process to the system folder; called first
// thing. Windows before 8 without update KB2533623 lacks that: the current directory is at
// least taken out of the search there.
void RestrictDllSearch(void);
// The named DLL of the system folder, loaded when it is not yet; null when there is none.
HMODULE LoadSystemLibrary(const char *name);
// A function of module into call, typed as the caller declares it; false when it is missing.
template <typename Call> bool LoadFunction(HMODULE module, const char *name, Call *call)
{
    *call = reinterpret_cast<Call>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    return *call != nullptr;
}
// A function of a DLL of the system folder; null when either is missing.
FARPROC SystemFunction(const char *library, const char *name);

#endif
