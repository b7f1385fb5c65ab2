#include "settings/profile.h"
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

void LoadLoginInfo(LoginInfo *info)
{
    ReadProfileText("Login", "Host", "", info->host, sizeof info->host);
    ReadProfileText("Login", "User", "", info->user, sizeof info->user);
    char stored[kSettingSize];
    if (ReadProfileText("Login", "Password", "", stored, sizeof stored) != 0)
        UnscramblePassword(stored, info->password, sizeof info->password);
}
