#include "settings/logon.h"

#include "app/systemdll.h"

static const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
static const char kRunValue[] = "Ovra";

// advapi32 is loaded only when the dialog needs it, from the system folder.
struct RegistryCalls {
    decltype(&RegOpenKeyExA) open;
    decltype(&RegCreateKeyExA) create;
    decltype(&RegQueryValueExA) query;
    decltype(&RegSetValueExA) set;
    decltype(&RegDeleteValueA) remove;
    decltype(&RegCloseKey) close;
};

static bool LoadRegistry(RegistryCalls *calls)
{
    HMODULE advapi = LoadSystemLibrary("advapi32.dll");
    return advapi != nullptr && LoadFunction(advapi, "RegOpenKeyExA", &calls->open) &&
           LoadFunction(advapi, "RegCreateKeyExA", &calls->create) &&
           LoadFunction(advapi, "RegQueryValueExA", &calls->query) &&
           LoadFunction(advapi, "RegSetValueExA", &calls->set) &&
           LoadFunction(advapi, "RegDeleteValueA", &calls->remove) &&
           LoadFunction(advapi, "RegCloseKey", &calls->close);
}

// "C:\path\ovra.exe", quoted so that a path with spaces runs this exe and nothing else.
static bool QuotedExePath(char *text, DWORD size)
{
    DWORD length = GetModuleFileNameA(nullptr, text + 1, size - 3);
    if (length == 0 || length >= size - 3)
        return false;
    text[0] = '"';
    text[length + 1] = '"';
    text[length + 2] = '\0';
    return true;
}

bool StartsAtLogon(void)
{
    RegistryCalls reg;
    char wanted[MAX_PATH + 3], value[MAX_PATH + 3];
    HKEY key;
    if (!LoadRegistry(&reg) || !QuotedExePath(wanted, sizeof wanted) ||
        reg.open(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof value - 1;
    LONG result = reg.query(key, kRunValue, nullptr, &type, (BYTE *)value, &size);
    reg.close(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[size] = '\0';
    return lstrcmpiA(value, wanted) == 0;
}

bool SetStartAtLogon(bool on)
{
    RegistryCalls reg;
    char path[MAX_PATH + 3];
    HKEY key;
    if (!LoadRegistry(&reg) || !QuotedExePath(path, sizeof path) ||
        reg.create(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                   nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = on ? reg.set(key, kRunValue, 0, REG_SZ, (const BYTE *)path,
                               (DWORD)lstrlenA(path) + 1)
                     : reg.remove(key, kRunValue);
    reg.close(key);
    return result == ERROR_SUCCESS || (!on && result == ERROR_FILE_NOT_FOUND);
}
