#include "settings/connection.h"

#include "settings/profile.h"

bool ReadConnectionFlag(const char *key)
{
    char value[kSettingSize];
    ReadProfileText("Settings", key, "false", value, sizeof value);
    return lstrcmpiA(value, "true") == 0;
}
