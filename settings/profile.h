// Access to the settings file, "ovra.ini" in the user's own folder (Roaming AppData)\Ovra: every
// read and write goes through the profile functions, key by key.
#ifndef OVRA_PROFILE_H
#define OVRA_PROFILE_H

#include <windows.h>
#include "settings/logininfo.h"

enum { kPathSize = MAX_PATH + 32 };

// The folder Ovra in the user's Roaming AppData, created when missing, into path
// (kPathSize characters).
// False when the system names no such folder.
bool OvraFolder(char *path);
// The full path of the settings file. Its first use in a process imports the file of an
// older version when the user has none yet (see profile.cpp).
const char *ProfilePath(void);

// Writes value as signed decimal text under section/key of file.
BOOL WriteProfileInt(const char *section, const char *key, int value, const char *file);

// Reads a text value of the settings file into buffer (size characters with the terminator).
DWORD ReadProfileText(const char *section, const char *key, const char *defaultText,
                      char *buffer, DWORD size);
BOOL WriteProfileText(const char *section, const char *key, const char *value);
int ReadProfileInt(const char *section, const char *key, int defaultValue);

// Writes the scrambled password (or key passphrase) as "Login" key when it reads back
// exactly on this system's code page. When it cannot, the value is written empty instead,
// so no cut or changed password is loaded later and no stray line is left; returns false then.
bool StorePassword(const char *key, const char *plain);

// Host, user, (unscrambled) password, key file and passphrase of the "Login" section.
void LoadLoginInfo(LoginInfo *info);

#endif
