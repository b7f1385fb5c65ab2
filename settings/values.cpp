#include "settings/values.h"

#include <stdlib.h>

#include "settings/profile.h"

void ReadSetting(Setting setting, char *value)
{
    const SettingKey &entry = kSettingKeys[setting];
    ReadProfileText(SETTINGS_SECTION, entry.key, entry.fallback, value, kSettingSize);
}

bool ReadSwitch(Setting setting)
{
    char value[kSettingSize];
    ReadSetting(setting, value);
    Setting follows = kSettingKeys[setting].follows;
    if (value[0] == '\0' && follows != kSettingCount)
        return ReadSwitch(follows);
    return lstrcmpiA(value, "true") == 0;
}

bool SwitchShownOn(Setting setting)
{
    char value[kSettingSize];
    ReadSetting(setting, value);
    return lstrcmpA(value, "true") == 0;
}

int ReadSettingInt(Setting setting)
{
    return ReadProfileInt(SETTINGS_SECTION, kSettingKeys[setting].key,
                          atoi(kSettingKeys[setting].fallback));
}

bool WriteSetting(Setting setting, const char *value)
{
    return WriteProfileText(SETTINGS_SECTION, kSettingKeys[setting].key, value) != FALSE;
}

bool WriteSwitch(Setting setting, bool on)
{
    return WriteSetting(setting, on ? "true" : "false");
}

bool WriteSettingInt(Setting setting, int value)
{
    return WriteProfileInt(SETTINGS_SECTION, kSettingKeys[setting].key, value, ProfilePath()) != FALSE;
}

void PreloadPostingSettings(void)
{
    char value[kSettingSize];
    for (int setting = 0; setting < kSettingCount; setting++) {
        if (kSettingKeys[setting].posting)
            ReadSetting((Setting)setting, value);
    }
}
