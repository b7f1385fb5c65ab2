#include "settings/profile.h"

#include <string.h>

#include <shlobj.h>

#include "app/appstate.h"
#include "app/message.h"
#include "app/paths.h"
#include "app/systemdll.h"
#include "res/resource.h"
#include "settings/keptreads.h"
#include "settings/keys.h"
#include "settings/scramble.h"

static const char kFileName[] = "ovra.ini";

// Every read opens the file (about a quarter of a millisecond under Wine, which a posting
// would spend between a server's reply and its next command), so values read are kept
// while the file stays as it was (keptreads.h). A value confirmed in a dialog or edited by
// hand meanwhile is read afresh all the same.
static KeptReads keptReads;

typedef HRESULT(WINAPI *GetKnownFolderPath)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR *);
typedef void(WINAPI *FreeTaskMemory)(void *);

// A folder of the user's profile as the shell knows it for this user's own logon: an
// environment inherited from another user's process cannot move it. Into path in the code
// page, false when the system has no such call or the path does not fit the code page.
static bool KnownFolder(REFKNOWNFOLDERID folder, char *path)
{
    auto get = reinterpret_cast<GetKnownFolderPath>(
        reinterpret_cast<void *>(SystemFunction("shell32.dll", "SHGetKnownFolderPath")));
    auto release = reinterpret_cast<FreeTaskMemory>(
        reinterpret_cast<void *>(SystemFunction("ole32.dll", "CoTaskMemFree")));
    if (get == nullptr || release == nullptr)
        return false;
    PWSTR wide = nullptr;
    bool found = SUCCEEDED(get(folder, 0, nullptr, &wide));
    BOOL lossy = FALSE;
    found = found && WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, MAX_PATH,
                                         nullptr, &lossy) > 0 && !lossy;
    release(wide);  // also when the call failed, as it asks
    return found;
}

// A folder of the user's profile from the shell, or, on a system without the known-folder
// call, as Windows names it in the environment of every logon.
static bool UserFolder(REFKNOWNFOLDERID folder, const char *variable, char *path)
{
    if (KnownFolder(folder, path))
        return true;
    DWORD length = GetEnvironmentVariableA(variable, path, MAX_PATH);
    return length > 0 && length < MAX_PATH;
}

bool OvraFolder(char *path)
{
    if (!UserFolder(FOLDERID_RoamingAppData, "APPDATA", path) || !AppendPath(path, kPathSize, "Ovra"))
        return false;
    CreateDirectoryA(path, nullptr);  // fails harmlessly when it exists
    return true;
}

// Once per run, so that a dialog full of settings gives one box, not one per key.
static void ReportWriteFailure(const char *path)
{
    static bool reported;
    if (reported)
        return;
    reported = true;
    ShowFileMessage(MB_ICONERROR, IDS_ERROR, IDS_SETTINGS_UNSAVED, path, g_hMainWindow);
}

// Where older versions kept the file: the Windows folder, or for a 32-bit build that
// Windows redirected, the same path under %LOCALAPPDATA%\VirtualStore.
static bool OldWindowsFile(char *path)
{
    UINT length = GetWindowsDirectoryA(path, MAX_PATH);
    return length > 0 && length < MAX_PATH && AppendPath(path, kPathSize, kFileName);
}

static bool OldVirtualStoreFile(char *path)
{
    char windows[kPathSize];
    if (!OldWindowsFile(windows) || windows[1] != ':' || windows[2] != '\\')
        return false;
    // C:\Windows\ovra.ini is kept as VirtualStore\Windows\ovra.ini.
    return UserFolder(FOLDERID_LocalAppData, "LOCALAPPDATA", path) &&
           AppendPath(path, kPathSize, "VirtualStore") && AppendPath(path, kPathSize, windows + 3);
}

// Copies the old file whole when there is one; true when there was one.
static bool Import(const char *old, const char *path)
{
    if (GetFileAttributesA(old) == INVALID_FILE_ATTRIBUTES)
        return false;
    if (CopyFileA(old, path, TRUE))
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);  // not read-only like its original
    else
        ReportWriteFailure(path);
    return true;
}

// The first start that finds no file of the user's own takes over the newest old one. The
// old places are never written again: without administrator rights they cannot be.
static void ImportOldFile(const char *path)
{
    if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        return;
    char old[kPathSize];
    if (OldVirtualStoreFile(old) && Import(old, path))
        return;
    if (OldWindowsFile(old))
        Import(old, path);
}

const char *ProfilePath(void)
{
    static char path[kPathSize];
    if (path[0] != '\0')
        return path;
    // Without a profile folder the bare name keeps the Windows folder, as before.
    if (!OvraFolder(path) || !AppendPath(path, kPathSize, kFileName))
        lstrcpyA(path, kFileName);
    else
        ImportOldFile(path);
    return path;
}

static BOOL WriteValue(const char *section, const char *key, const char *value, const char *file)
{
    ForgetReads(&keptReads);
    BOOL written = WritePrivateProfileStringA(section, key, value, file);
    if (!written)
        ReportWriteFailure(file);
    return written;
}

BOOL WriteProfileInt(const char *section, const char *key, int value, const char *file)
{
    char text[kSettingSize];
    FormatDecimal(value, text, sizeof text);
    return WriteValue(section, key, text, file);
}

static uint64_t Combined(DWORD high, DWORD low)
{
    return (uint64_t)high << 32 | low;
}

static FileStamp Stamp(const char *path)
{
    FileStamp stamp = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExA(path, GetFileExInfoStandard, &data)) {
        stamp.exists = true;
        stamp.lastWrite = Combined(data.ftLastWriteTime.dwHighDateTime,
                                   data.ftLastWriteTime.dwLowDateTime);
        stamp.size = Combined(data.nFileSizeHigh, data.nFileSizeLow);
    }
    return stamp;
}

static uint64_t Now(void)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return Combined(now.dwHighDateTime, now.dwLowDateTime);
}

DWORD ReadProfileText(const char *section, const char *key, const char *defaultText,
                      char *buffer, DWORD size)
{
    const char *path = ProfilePath();
    // The file's state before the read: a change during it makes the next read look again.
    FileStamp stamp = Stamp(path);
    unsigned long count;
    if (FindKeptRead(&keptReads, &stamp, section, key, defaultText, buffer, size, &count))
        return count;
    count = GetPrivateProfileStringA(section, key, defaultText, buffer, size, path);
    KeepRead(&keptReads, &stamp, Now(), section, key, defaultText, buffer, size, count);
    return count;
}

BOOL WriteProfileText(const char *section, const char *key, const char *value)
{
    return WriteValue(section, key, value, ProfilePath());
}

int ReadProfileInt(const char *section, const char *key, int defaultValue)
{
    return (int)GetPrivateProfileIntA(section, key, defaultValue, ProfilePath());
}

// Only values free of line ends and of what the text rules drop are written (a line end
// would leave a stray line behind); reading back then shows what the code page did to it.
bool StorePassword(const char *key, const char *plain)
{
    char stored[kSettingSize];
    ScramblePassword(plain, stored, sizeof stored);
    if (PasswordStorable(plain)) {
        WriteProfileText(LOGIN_SECTION, key, stored);
        char back[kSettingSize];
        ReadProfileText(LOGIN_SECTION, key, "", back, sizeof back);
        if (strcmp(back, stored) == 0)
            return true;
    }
    WriteProfileText(LOGIN_SECTION, key, "");
    return false;
}

static void LoadScrambled(const char *key, char *plain)
{
    char stored[kSettingSize];
    if (ReadProfileText(LOGIN_SECTION, key, "", stored, sizeof stored) != 0)
        UnscramblePassword(stored, plain, kSettingSize);
}

void LoadLoginInfo(LoginInfo *info)
{
    ReadProfileText(LOGIN_SECTION, LOGIN_HOST_KEY, "", info->host, sizeof info->host);
    ReadProfileText(LOGIN_SECTION, LOGIN_USER_KEY, "", info->user, sizeof info->user);
    LoadScrambled(LOGIN_PASSWORD_KEY, info->password);
    ReadProfileText(LOGIN_SECTION, LOGIN_KEY_FILE_KEY, "", info->keyFile, sizeof info->keyFile);
    LoadScrambled(LOGIN_PASSPHRASE_KEY, info->passphrase);
}
