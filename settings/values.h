// The typed readers and writers of the "Settings" section (settings/keys.h names them).
#ifndef OVRA_VALUES_H
#define OVRA_VALUES_H

#include "settings/keys.h"

// The value, or the setting's default, into value (kSettingSize characters).
void ReadSetting(Setting setting, char *value);
// A switch as the program acts on it: "true", letter case ignored.
bool ReadSwitch(Setting setting);
// A switch as the Upload File dialog shows it: checked only for "true" exactly.
bool SwitchShownOn(Setting setting);
int ReadSettingInt(Setting setting);
bool WriteSetting(Setting setting, const char *value);
bool WriteSwitch(Setting setting, bool on);
bool WriteSettingInt(Setting setting, int value);
// Reads once every setting a posting reads between the server's replies, so that each of
// the posting's own reads finds it kept.
void PreloadPostingSettings(void);

#endif
