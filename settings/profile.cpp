#include "settings/profile.h"

#include <string.h>

#include "settings/scramble.h"

BOOL WriteProfileInt(const char *section, const char *key, int value, const char *file)
{
    char text[kSettingSize];
    FormatDecimal(value, text, sizeof text);
    return WritePrivateProfileStringA(section, key, text, file);
}

DWORD ReadProfileText(const char *section, const char *key, const char *defaultText,
                      char *buffer, DWORD size)
{
    return GetPrivateProfileStringA(section, key, defaultText, buffer, size, PROFILE_FILE);
}

BOOL WriteProfileText(const char *section, const char *key, const char *value)
{
    return WritePrivateProfileStringA(section, key, value, PROFILE_FILE);
}

int ReadProfileInt(const char *section, const char *key, int defaultValue)
{
    return (int)GetPrivateProfileIntA(section, key, defaultValue, PROFILE_FILE);
}

// Only values free of line ends and of what the text rules drop are written (a line end
// would leave a stray line behind); reading back then shows what the code page did to it.
bool StorePassword(const char *plain)
{
    char stored[kSettingSize];
    ScramblePassword(plain, stored, sizeof stored);
    if (PasswordStorable(plain)) {
        WriteProfileText("Login", "Password", stored);
        char back[kSettingSize];
        ReadProfileText("Login", "Password", "", back, sizeof back);
        if (strcmp(back, stored) == 0)
            return true;
    }
    WriteProfileText("Login", "Password", "");
    return false;
}

void LoadLoginInfo(LoginInfo *info)
{
    ReadProfileText("Login", "Host", "", info->host, sizeof info->host);
    ReadProfileText("Login", "User", "", info->user, sizeof info->user);
    char stored[kSettingSize];
    if (ReadProfileText("Login", "Password", "", stored, sizeof stored) != 0)
        UnscramblePassword(stored, info->password, sizeof info->password);
}
