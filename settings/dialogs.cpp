#include "settings/dialogs.h"

#include "app/message.h"
#include "res/resource.h"
#include "settings/connection.h"
#include "settings/logininfo.h"
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
    FocusFirstEmpty(dialog, info);
    char save[4];
    ReadProfileText("Login", "SavePassword", "no", save, sizeof save);
    CheckDlgButton(dialog, IDC_LOGIN_SAVE, lstrcmpiA(save, "yes") == 0 ? BST_CHECKED : BST_UNCHECKED);
}

static void StoreLogin(HWND dialog, LoginInfo *info)
{
    GetDlgItemTextA(dialog, IDC_LOGIN_HOST, info->host, sizeof info->host);
    WriteProfileText("Login", "Host", info->host);
    GetDlgItemTextA(dialog, IDC_LOGIN_USER, info->user, sizeof info->user);
    WriteProfileText("Login", "User", info->user);
    GetDlgItemTextA(dialog, IDC_LOGIN_PASSWORD, info->password, sizeof info->password);
    if (IsDlgButtonChecked(dialog, IDC_LOGIN_SAVE) == BST_CHECKED) {
        WriteProfileText("Login", "SavePassword", "Yes");
        if (!StorePassword(info->password))
            ShowMessage(MB_ICONWARNING, IDS_ERROR, IDS_PASSWORD_UNSAVED, dialog);
    } else {
        WriteProfileText("Login", "SavePassword", "No");
        WriteProfileText("Login", "Password", "");
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
        ReadProfileText("Settings", "Timezone", "", zone, sizeof zone);
        SetDlgItemTextA(dialog, IDC_TIMEZONE, zone);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        GetDlgItemTextA(dialog, IDC_TIMEZONE, zone, sizeof zone);
        WriteProfileText("Settings", "Timezone", zone);
    }
    return EndOnCommand(dialog, wParam);
}

// The dialog shows a box checked only for "true" exactly; posting itself ignores case.
static void ShowUploadTarget(HWND dialog, int box, const char *enableKey, const char *enableDefault,
                             int field, const char *nameKey, const char *nameDefault)
{
    char value[kSettingSize];
    ReadProfileText("Settings", enableKey, enableDefault, value, sizeof value);
    if (lstrcmpA(value, "true") == 0)
        CheckDlgButton(dialog, box, BST_CHECKED);
    ReadProfileText("Settings", nameKey, nameDefault, value, sizeof value);
    SetDlgItemTextA(dialog, field, value);
}

static void StoreUploadTarget(HWND dialog, int box, const char *enableKey, int field,
                              const char *nameKey)
{
    bool checked = IsDlgButtonChecked(dialog, box) == BST_CHECKED;
    WriteProfileText("Settings", enableKey, checked ? "true" : "false");
    char name[kSettingSize];
    GetDlgItemTextA(dialog, field, name, sizeof name);
    WriteProfileText("Settings", nameKey, name);
}

INT_PTR CALLBACK UploadFileBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        ShowUploadTarget(dialog, IDC_UPLOAD1, "UploadFile1", "true", IDC_UPLOAD1_NAME,
                         "UploadFile1Name", ".project");
        ShowUploadTarget(dialog, IDC_UPLOAD2, "UploadFile2", "false", IDC_UPLOAD2_NAME,
                         "UploadFile2Name", "public_html/ovra.txt");
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        StoreUploadTarget(dialog, IDC_UPLOAD1, "UploadFile1", IDC_UPLOAD1_NAME, "UploadFile1Name");
        StoreUploadTarget(dialog, IDC_UPLOAD2, "UploadFile2", IDC_UPLOAD2_NAME, "UploadFile2Name");
    }
    return EndOnCommand(dialog, wParam);
}

static const struct {
    int box;
    const char *key;
} kConnectionSwitches[] = {
    {IDC_SECURE_FTP, SECURE_FTP_KEY},
    {IDC_PASSIVE_MODE, PASSIVE_MODE_KEY},
    {IDC_WEB_HTTP10, WEB_HTTP10_KEY},
};

INT_PTR CALLBACK ConnectionBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        for (const auto &s : kConnectionSwitches)
            CheckDlgButton(dialog, s.box, ReadConnectionFlag(s.key) ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        for (const auto &s : kConnectionSwitches) {
            bool checked = IsDlgButtonChecked(dialog, s.box) == BST_CHECKED;
            WriteProfileText("Settings", s.key, checked ? "true" : "false");
        }
    }
    return EndOnCommand(dialog, wParam);
}

INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message != WM_COMMAND)
        return FALSE;
    return EndOnCommand(dialog, wParam);
}
