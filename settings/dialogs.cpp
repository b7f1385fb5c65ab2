#include "settings/dialogs.h"

#include "app/message.h"
#include "res/resource.h"
#include "settings/values.h"
#include "settings/logininfo.h"
#include "settings/logon.h"
#include "settings/profile.h"

// OK and Cancel both end a dialog with 0; any other command is left to the dialog manager.
static bool EndOnCommand(HWND dialog, WPARAM command)
{
    if (command != IDOK && command != IDCANCEL)
        return false;
    EndDialog(dialog, 0);
    return true;
}

static void FocusFirstEmpty(HWND dialog, const LoginInfo *info)
{
    if (info->host[0] == '\0')
        SetFocus(GetDlgItem(dialog, IDC_LOGIN_HOST));
    else if (info->user[0] == '\0')
        SetFocus(GetDlgItem(dialog, IDC_LOGIN_USER));
    else if (info->password[0] == '\0')
        SetFocus(GetDlgItem(dialog, IDC_LOGIN_PASSWORD));
}

static void ShowLogin(HWND dialog, const LoginInfo *info)
{
    SetDlgItemTextA(dialog, IDC_LOGIN_HOST, info->host);
    SetDlgItemTextA(dialog, IDC_LOGIN_USER, info->user);
    SetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, info->password);
    SetDlgItemTextA(dialog, IDC_LOGIN_KEY_FILE, info->keyFile);
    SetDlgItemTextA(dialog, IDC_LOGIN_PASSPHRASE, info->passphrase);
    FocusFirstEmpty(dialog, info);
    char save[4];
    ReadProfileText(LOGIN_SECTION, SAVE_PASSWORD_KEY, "no", save, sizeof save);
    CheckDlgButton(dialog, IDC_LOGIN_SAVE, lstrcmpiA(save, "yes") == 0 ? BST_CHECKED : BST_UNCHECKED);
}

static void StoreLogin(HWND dialog, LoginInfo *info)
{
    GetDlgItemTextA(dialog, IDC_LOGIN_HOST, info->host, sizeof info->host);
    WriteProfileText(LOGIN_SECTION, LOGIN_HOST_KEY, info->host);
    GetDlgItemTextA(dialog, IDC_LOGIN_USER, info->user, sizeof info->user);
    WriteProfileText(LOGIN_SECTION, LOGIN_USER_KEY, info->user);
    GetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, info->password, sizeof info->password);
    GetDlgItemTextA(dialog, IDC_LOGIN_KEY_FILE, info->keyFile, sizeof info->keyFile);
    WriteProfileText(LOGIN_SECTION, LOGIN_KEY_FILE_KEY, info->keyFile);
    GetDlgItemTextA(dialog, IDC_LOGIN_PASSPHRASE, info->passphrase, sizeof info->passphrase);
    if (IsDlgButtonChecked(dialog, IDC_LOGIN_SAVE) == BST_CHECKED) {
        WriteProfileText(LOGIN_SECTION, SAVE_PASSWORD_KEY, "Yes");
        // One box for either secret: both are kept the same way.
        bool saved = StorePassword(LOGIN_PASSWORD_KEY, info->password);
        saved = StorePassword(LOGIN_PASSPHRASE_KEY, info->passphrase) && saved;
        if (!saved)
            ShowMessage(MB_ICONWARNING, IDS_ERROR, IDS_PASSWORD_UNSAVED, dialog);
    } else {
        WriteProfileText(LOGIN_SECTION, SAVE_PASSWORD_KEY, "No");
        WriteProfileText(LOGIN_SECTION, LOGIN_PASSWORD_KEY, "");
        WriteProfileText(LOGIN_SECTION, LOGIN_PASSPHRASE_KEY, "");
    }
}

INT_PTR CALLBACK LoginBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    static LoginInfo *info;
    if (message == WM_INITDIALOG) {
        info = reinterpret_cast<LoginInfo *>(lParam);
        ShowLogin(dialog, info);
        return FALSE;  // the focus is already where it belongs
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK)
        StoreLogin(dialog, info);
    return EndOnCommand(dialog, wParam);
}

INT_PTR CALLBACK TimezoneBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    char zone[kSettingSize];
    if (message == WM_INITDIALOG) {
        ReadSetting(kTimezone, zone);
        SetDlgItemTextA(dialog, IDC_TIMEZONE, zone);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        GetDlgItemTextA(dialog, IDC_TIMEZONE, zone, sizeof zone);
        WriteSetting(kTimezone, zone);
    }
    return EndOnCommand(dialog, wParam);
}

// The dialog shows a box checked only for "true" exactly; posting itself ignores case.
static void ShowUploadTarget(HWND dialog, int box, int field, const UploadTarget *target)
{
    if (SwitchShownOn(target->enable))
        CheckDlgButton(dialog, box, BST_CHECKED);
    char value[kSettingSize];
    ReadSetting(target->name, value);
    SetDlgItemTextA(dialog, field, value);
}

static void StoreUploadTarget(HWND dialog, int box, int field, const UploadTarget *target)
{
    WriteSwitch(target->enable, IsDlgButtonChecked(dialog, box) == BST_CHECKED);
    char name[kSettingSize];
    GetDlgItemTextA(dialog, field, name, sizeof name);
    WriteSetting(target->name, name);
}

static const struct {
    int box;
    int field;
} kUploadControls[kTargetCount] = {
    {IDC_UPLOAD1, IDC_UPLOAD1_NAME},
    {IDC_UPLOAD2, IDC_UPLOAD2_NAME},
};

INT_PTR CALLBACK UploadFileBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < kTargetCount; i++)
            ShowUploadTarget(dialog, kUploadControls[i].box, kUploadControls[i].field,
                             &kUploadTargets[i]);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        for (int i = 0; i < kTargetCount; i++)
            StoreUploadTarget(dialog, kUploadControls[i].box, kUploadControls[i].field,
                              &kUploadTargets[i]);
    }
    return EndOnCommand(dialog, wParam);
}

struct SwitchBox {
    int box;
    Setting setting;
};

static void ShowSwitches(HWND dialog, const SwitchBox *boxes, int count)
{
    for (int i = 0; i < count; i++)
        CheckDlgButton(dialog, boxes[i].box, ReadSwitch(boxes[i].setting) ? BST_CHECKED : BST_UNCHECKED);
}

static void StoreSwitches(HWND dialog, const SwitchBox *boxes, int count)
{
    for (int i = 0; i < count; i++)
        WriteSwitch(boxes[i].setting, IsDlgButtonChecked(dialog, boxes[i].box) == BST_CHECKED);
}

static const SwitchBox kConnectionSwitches[] = {
    {IDC_SECURE_FTP, kSecureFtp},
    {IDC_PASSIVE_MODE, kPassiveMode},
    {IDC_WEB_HTTP10, kWebHttp10},
    {IDC_SFTP_POST, kSftpPost},
    {IDC_SAFE_REPLACE, kSafeReplace},
    {IDC_READABLE_FILES, kReadableFiles},
    {IDC_CHECK_SEEN, kCheckSeen},
    {IDC_IMPLICIT_TLS, kImplicitTls},
};
enum { kConnectionCount = sizeof kConnectionSwitches / sizeof kConnectionSwitches[0] };

static bool BoxChecked(HWND dialog, Setting setting)
{
    for (const auto &s : kConnectionSwitches) {
        if (s.setting == setting)
            return IsDlgButtonChecked(dialog, s.box) == BST_CHECKED;
    }
    return false;
}

// A switch that follows another while unset keeps following it when its box shows the
// same; only a choice of its own is written.
static void StoreConnectionSwitch(HWND dialog, Setting setting, bool on)
{
    Setting follows = kSettingKeys[setting].follows;
    if (follows != kSettingCount && on == BoxChecked(dialog, follows))
        WriteSetting(setting, "");
    else
        WriteSwitch(setting, on);
}

INT_PTR CALLBACK ConnectionBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowSwitches(dialog, kConnectionSwitches, kConnectionCount);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        for (const auto &s : kConnectionSwitches)
            StoreConnectionSwitch(dialog, s.setting, BoxChecked(dialog, s.setting));
    }
    return EndOnCommand(dialog, wParam);
}

static const SwitchBox kPresenceSwitches[] = {
    {IDC_OFF_WHEN_LOCKED, kOffWhenLocked},
    {IDC_OFF_WHEN_ASLEEP, kOffWhenAsleep},
    {IDC_TRAY_ICON, kTrayIcon},
};
enum { kPresenceCount = sizeof kPresenceSwitches / sizeof kPresenceSwitches[0] };

static void StorePresence(HWND dialog)
{
    StoreSwitches(dialog, kPresenceSwitches, kPresenceCount);
    WriteSettingInt(kIdleMinutes, (int)GetDlgItemInt(dialog, IDC_IDLE_MINUTES, nullptr, FALSE));
    bool logon = IsDlgButtonChecked(dialog, IDC_START_AT_LOGON) == BST_CHECKED;
    // Only a change is written: an unchecked box leaves another copy's value alone.
    if (logon != StartsAtLogon() && !SetStartAtLogon(logon))
        ShowMessage(MB_ICONWARNING, IDS_ERROR, IDS_LOGON_UNSAVED, dialog);
}

// Ends with IDOK after OK, so that the caller applies the settings, else with 0.
INT_PTR CALLBACK PresenceBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowSwitches(dialog, kPresenceSwitches, kPresenceCount);
        SetDlgItemInt(dialog, IDC_IDLE_MINUTES, (UINT)ReadSettingInt(kIdleMinutes), FALSE);
        CheckDlgButton(dialog, IDC_START_AT_LOGON, StartsAtLogon() ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    if (message != WM_COMMAND || (wParam != IDOK && wParam != IDCANCEL))
        return FALSE;
    if (wParam == IDOK)
        StorePresence(dialog);
    EndDialog(dialog, wParam == IDOK ? IDOK : 0);
    return TRUE;
}

INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    return EndOnCommand(dialog, wParam);
}
