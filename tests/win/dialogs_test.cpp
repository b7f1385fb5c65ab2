// The settings dialogs and About, through their real templates.
#include "app.h"

#include "app/appstate.h"
#include "app/busy.h"
#include "app/mainwindow.h"
#include "net/connect.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/watchdog.h"
#include "peer.h"
#include "res/resource.h"
#include "settings/scramble.h"

namespace {

// Runs check on the dialog once its modal loop is running (focus settled), then cancels it.
HWND g_inspected;
std::function<void(HWND)> g_check;

void CALLBACK InspectLater(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_check(g_inspected);
    PressButton(g_inspected, IDCANCEL);
}

void InspectThenCancel(HWND dialog, std::function<void(HWND)> check)
{
    g_inspected = dialog;
    g_check = std::move(check);
    SetTimer(nullptr, 0, 10, InspectLater);
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

bool Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string RunValue()
{
    char value[MAX_PATH + 8];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, "Ovra", RRF_RT_REG_SZ, nullptr, value, &size) != 0)
        return "<none>";
    return value;
}

void SetRunValue(const std::string &value)
{
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, "Ovra", REG_SZ, value.c_str(), (DWORD)value.size() + 1);
}

std::string ExePath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    return path;
}

class DialogsTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, "Ovra");
        ASSERT_EQ(0, StartApp());
    }
    // Opens the dialog of command and hands it to handler.
    void Open(UINT command, const char *caption, std::function<void(HWND)> handler)
    {
        boxes.OnDialog(caption, std::move(handler));
        Command(command);
        EXPECT_EQ(0, boxes.PendingHandlers()) << caption << " did not open";
        EXPECT_TRUE(boxes.Seen().empty());
    }
    // Focused control id of the FTP Login dialog opened on the current login.
    int LoginFocus()
    {
        int focused = -2;
        Open(IDM_FTP_LOGIN, "FTP Login", [&](HWND d) {
            InspectThenCancel(d, [&](HWND dialog) {
                HWND f = GetFocus();
                focused = f != nullptr && GetParent(f) == dialog ? GetDlgCtrlID(f) : -1;
            });
        });
        return focused;
    }
};

TEST_F(DialogsTest, LoginFocusGoesToTheFirstEmptyField)
{
    EXPECT_EQ(IDC_LOGIN_HOST, LoginFocus());
    strcpy(g_LoginInfo.host, "h");
    EXPECT_EQ(IDC_LOGIN_USER, LoginFocus());
    strcpy(g_LoginInfo.user, "u");
    EXPECT_EQ(IDC_LOGIN_PASSWORD, LoginFocus());
}

TEST_F(DialogsTest, LoginShowsTheRecordAndSavesItWithThePassword)
{
    strcpy(g_LoginInfo.host, "old.host");
    strcpy(g_LoginInfo.user, "old");
    strcpy(g_LoginInfo.password, "oldpw");
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        EXPECT_EQ("old.host", ItemText(d, IDC_LOGIN_HOST));
        EXPECT_EQ("old", ItemText(d, IDC_LOGIN_USER));
        EXPECT_EQ("oldpw", ItemText(d, IDC_LOGIN_PASSWORD));
        EXPECT_FALSE(Checked(d, IDC_LOGIN_SAVE));
        SetDlgItemTextA(d, IDC_LOGIN_HOST, "ftp.test");
        SetDlgItemTextA(d, IDC_LOGIN_USER, "bob");
        SetDlgItemTextA(d, IDC_LOGIN_PASSWORD, "pw d");
        CheckDlgButton(d, IDC_LOGIN_SAVE, BST_CHECKED);
        PressButton(d, IDOK);
    });
    EXPECT_STREQ("ftp.test", g_LoginInfo.host);
    EXPECT_STREQ("bob", g_LoginInfo.user);
    EXPECT_STREQ("pw d", g_LoginInfo.password);
    EXPECT_EQ("ftp.test", ReadIni("Login", "Host"));
    EXPECT_EQ("bob", ReadIni("Login", "User"));
    EXPECT_EQ("Yes", ReadIni("Login", "SavePassword"));
    char stored[128];
    ScramblePassword("pw d", stored, sizeof stored);
    EXPECT_EQ(stored, ReadIni("Login", "Password"));
}

TEST_F(DialogsTest, UnsavedPasswordStaysInMemoryButNotAfterARestart)
{
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        SetDlgItemTextA(d, IDC_LOGIN_HOST, "h");
        SetDlgItemTextA(d, IDC_LOGIN_USER, "u");
        SetDlgItemTextA(d, IDC_LOGIN_PASSWORD, "secret");
        PressButton(d, IDOK);
    });
    EXPECT_STREQ("secret", g_LoginInfo.password);
    EXPECT_EQ("No", ReadIni("Login", "SavePassword"));
    EXPECT_EQ("", ReadIni("Login", "Password"));
    StopApp();
    g_LoginInfo = LoginInfo{};
    ASSERT_EQ(0, StartApp());
    EXPECT_STREQ("h", g_LoginInfo.host);
    EXPECT_STREQ("", g_LoginInfo.password);
}

TEST_F(DialogsTest, LongestPrintablePasswordSurvivesSaveAndRestart)
{
    std::string password;
    for (int i = 0; i < 127; i++)
        password += (char)(32 + (i * 7) % 95);
    // The field accepts only what fits visibly without scrolling, so fill the record
    // directly and let OK of an untouched dialog store it.
    strcpy(g_LoginInfo.host, "h");
    strcpy(g_LoginInfo.user, "u");
    strcpy(g_LoginInfo.password, password.c_str());
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        SendDlgItemMessageA(d, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, 0, 0);
        CheckDlgButton(d, IDC_LOGIN_SAVE, BST_CHECKED);
        PressButton(d, IDOK);
    });
    StopApp();
    g_LoginInfo = LoginInfo{};
    ASSERT_EQ(0, StartApp());
    EXPECT_EQ(password, g_LoginInfo.password);
}

// Run by ctest a second time under code page 932, where most scrambled bytes are halves of
// double-byte characters that the profile functions' conversion changes.
TEST_F(DialogsTest, SavedPasswordComesBackExactlyOrIsNotWrittenAndTheUserIsTold)
{
    if (const char *acp = getenv("OVRA_EXPECT_ACP")) {
        ASSERT_EQ((UINT)atoi(acp), GetACP());
    }
    const struct {
        const char *password;
        bool kept, keptOn932;
    } cases[] = {{"hello", true, false}, {"PASS42", true, true},  // the latter into 161..223
                 {"ab\x89" "cd", false, false}, {"pass\x7F" "word", false, false}};  // LF, NUL
    for (const auto &c : cases) {
        bool kept = GetACP() == 932 ? c.keptOn932 : c.kept;
        strcpy(g_LoginInfo.password, c.password);
        boxes.OnDialog("FTP Login", [](HWND d) {
            CheckDlgButton(d, IDC_LOGIN_SAVE, BST_CHECKED);
            PressButton(d, IDOK);
        });
        Command(IDM_FTP_LOGIN);
        auto seen = boxes.Take();
        ASSERT_EQ(kept ? 0u : 1u, seen.size()) << c.password;
        EXPECT_TRUE(kept || seen[0].text.find("This password cannot be saved") == 0);
        char stored[128];
        ScramblePassword(c.password, stored, sizeof stored);
        EXPECT_EQ(kept ? stored : "", ReadIni("Login", "Password")) << c.password;
        StopApp();
        g_LoginInfo = LoginInfo{};
        ASSERT_EQ(0, StartApp());
        EXPECT_STREQ(kept ? c.password : "", g_LoginInfo.password);
    }
}

TEST_F(DialogsTest, SavedEmptyPasswordWritesYesAndAnEmptyValue)
{
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        CheckDlgButton(d, IDC_LOGIN_SAVE, BST_CHECKED);
        PressButton(d, IDOK);
    });
    EXPECT_EQ("Yes", ReadIni("Login", "SavePassword"));
    EXPECT_EQ("", ReadIni("Login", "Password"));
}

TEST_F(DialogsTest, SavePasswordBoxReadsOnlyThreeLettersIgnoringCase)
{
    const struct {
        const char *stored;
        bool checked;
    } cases[] = {{"Yes", true}, {"yES", true}, {"yesterday", true}, {"y", false},
                 {"No", false}, {"", false}};
    for (const auto &c : cases) {
        WriteIni("Login", "SavePassword", c.stored);
        bool checked = !c.checked;
        Open(IDM_FTP_LOGIN, "FTP Login", [&](HWND d) {
            checked = Checked(d, IDC_LOGIN_SAVE);
            PressButton(d, IDCANCEL);
        });
        EXPECT_EQ(c.checked, checked) << c.stored;
    }
}

TEST_F(DialogsTest, CancelAfterEditsChangesNothing)
{
    strcpy(g_LoginInfo.host, "keep");
    WriteIni("Login", "Host", "keep");
    WriteIni("Settings", "Timezone", "EST");
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        SetDlgItemTextA(d, IDC_LOGIN_HOST, "changed");
        CheckDlgButton(d, IDC_LOGIN_SAVE, BST_CHECKED);
        PressButton(d, IDCANCEL);
    });
    Open(IDM_TIME_ZONE, "Time Zone", [](HWND d) {
        SetDlgItemTextA(d, IDC_TIMEZONE, "PST");
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);  // Escape and the close box send this
    });
    Open(IDM_UPLOAD_FILES, "Upload File", [](HWND d) {
        CheckDlgButton(d, IDC_UPLOAD2, BST_CHECKED);
        PressButton(d, IDCANCEL);
    });
    EXPECT_STREQ("keep", g_LoginInfo.host);
    EXPECT_EQ("keep", ReadIni("Login", "Host"));
    EXPECT_EQ("<none>", ReadIni("Login", "SavePassword"));
    EXPECT_EQ("EST", ReadIni("Settings", "Timezone"));
    EXPECT_EQ("<none>", ReadIni("Settings", "UploadFile2"));
    std::string before = IniFileBytes();
    Open(IDM_CONNECTION, "Connection", [](HWND d) {
        CheckDlgButton(d, IDC_PASSIVE_MODE, BST_CHECKED);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    Open(IDM_PRESENCE, "Presence", [](HWND d) {
        CheckDlgButton(d, IDC_OFF_WHEN_LOCKED, BST_CHECKED);
        CheckDlgButton(d, IDC_START_AT_LOGON, BST_CHECKED);
        PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(before, IniFileBytes());
    EXPECT_EQ("<none>", RunValue());
}

// Off unless set (the safe replacement follows Secure FTP until chosen apart from it); on OK
// every switch is written as the box stands.
TEST_F(DialogsTest, ConnectionShowsTheSwitchesAndWritesEachOnOk)
{
    WriteIni("Settings", "SecureFtp", "TRUE");
    WriteIni("Settings", "WebHttp10", "yes");
    Open(IDM_CONNECTION, "Connection", [](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_SECURE_FTP));
        EXPECT_FALSE(Checked(d, IDC_PASSIVE_MODE));
        EXPECT_FALSE(Checked(d, IDC_WEB_HTTP10));
        EXPECT_TRUE(Checked(d, IDC_SAFE_REPLACE));
        EXPECT_FALSE(Checked(d, IDC_READABLE_FILES));
        EXPECT_EQ(GetDlgItem(d, IDC_SECURE_FTP), GetFocus());
        CheckDlgButton(d, IDC_SECURE_FTP, BST_UNCHECKED);
        CheckDlgButton(d, IDC_WEB_HTTP10, BST_CHECKED);
        PressButton(d, IDOK);
    });
    EXPECT_EQ("false", ReadIni("Settings", "SecureFtp"));
    EXPECT_EQ("false", ReadIni("Settings", "PassiveMode"));
    EXPECT_EQ("true", ReadIni("Settings", "WebHttp10"));
    EXPECT_EQ("true", ReadIni("Settings", "SafeReplace"));
    EXPECT_EQ("false", ReadIni("Settings", "ReadableFiles"));
}

// All off by default; the Run value is this exe's quoted path, and another copy's is left
// alone unless the box is checked.
TEST_F(DialogsTest, PresenceShowsTheDefaultsAndWritesItsKeysAndTheRunValue)
{
    std::string own = "\"" + ExePath() + "\"";
    Open(IDM_PRESENCE, "Presence", [](HWND d) {
        for (int id : {IDC_OFF_WHEN_LOCKED, IDC_OFF_WHEN_ASLEEP, IDC_TRAY_ICON, IDC_START_AT_LOGON})
            EXPECT_FALSE(Checked(d, id)) << id;
        EXPECT_EQ("0", ItemText(d, IDC_IDLE_MINUTES));
        EXPECT_EQ("Start Ovra when I log on to Windows", ItemText(d, IDC_START_AT_LOGON));
        CheckDlgButton(d, IDC_OFF_WHEN_ASLEEP, BST_CHECKED);
        SetDlgItemTextA(d, IDC_IDLE_MINUTES, "15");
        CheckDlgButton(d, IDC_START_AT_LOGON, BST_CHECKED);
        PressButton(d, IDOK);
    });
    EXPECT_EQ("false", ReadIni("Settings", "OffWhenLocked"));
    EXPECT_EQ("true", ReadIni("Settings", "OffWhenAsleep"));
    EXPECT_EQ("15", ReadIni("Settings", "IdleMinutes"));
    EXPECT_EQ("false", ReadIni("Settings", "TrayIcon"));
    EXPECT_EQ(own, RunValue());

    SetRunValue("\"C:\\Other\\ovra.exe\"");
    Open(IDM_PRESENCE, "Presence", [](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_OFF_WHEN_ASLEEP));
        EXPECT_EQ("15", ItemText(d, IDC_IDLE_MINUTES));
        EXPECT_FALSE(Checked(d, IDC_START_AT_LOGON));
        PressButton(d, IDOK);
    });
    EXPECT_EQ("\"C:\\Other\\ovra.exe\"", RunValue());
    SetRunValue(own);
    Open(IDM_PRESENCE, "Presence", [](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_START_AT_LOGON));
        CheckDlgButton(d, IDC_START_AT_LOGON, BST_UNCHECKED);
        PressButton(d, IDOK);
    });
    EXPECT_EQ("<none>", RunValue());
}

TEST_F(DialogsTest, TimeZoneIsShownAndAClearedFieldStoredEmpty)
{
    WriteIni("Settings", "Timezone", "CET");
    Open(IDM_TIME_ZONE, "Time Zone", [](HWND d) {
        EXPECT_EQ("CET", ItemText(d, IDC_TIMEZONE));
        SetDlgItemTextA(d, IDC_TIMEZONE, "");
        PressButton(d, IDOK);
    });
    EXPECT_EQ("", ReadIni("Settings", "Timezone"));
}

TEST_F(DialogsTest, UploadFilesShowsTheDefaults)
{
    Open(IDM_UPLOAD_FILES, "Upload File", [](HWND d) {
        EXPECT_TRUE(Checked(d, IDC_UPLOAD1));
        EXPECT_EQ(".project", ItemText(d, IDC_UPLOAD1_NAME));
        EXPECT_FALSE(Checked(d, IDC_UPLOAD2));
        EXPECT_EQ("public_html/ovra.txt", ItemText(d, IDC_UPLOAD2_NAME));
        PressButton(d, IDOK);
    });
    EXPECT_EQ("true", ReadIni("Settings", "UploadFile1"));
    EXPECT_EQ(".project", ReadIni("Settings", "UploadFile1Name"));
    EXPECT_EQ("false", ReadIni("Settings", "UploadFile2"));
    EXPECT_EQ("public_html/ovra.txt", ReadIni("Settings", "UploadFile2Name"));
}

TEST_F(DialogsTest, UploadBoxesNeedLowerCaseTrueAndClearedNamesStayEmpty)
{
    WriteIni("Settings", "UploadFile1", "TRUE");
    WriteIni("Settings", "UploadFile2", "true");
    Open(IDM_UPLOAD_FILES, "Upload File", [](HWND d) {
        EXPECT_FALSE(Checked(d, IDC_UPLOAD1));
        EXPECT_TRUE(Checked(d, IDC_UPLOAD2));
        SetDlgItemTextA(d, IDC_UPLOAD1_NAME, "");
        SetDlgItemTextA(d, IDC_UPLOAD2_NAME, "www/me.txt");
        PressButton(d, IDOK);
    });
    EXPECT_EQ("false", ReadIni("Settings", "UploadFile1"));
    EXPECT_EQ("", ReadIni("Settings", "UploadFile1Name"));
    EXPECT_EQ("true", ReadIni("Settings", "UploadFile2"));
    EXPECT_EQ("www/me.txt", ReadIni("Settings", "UploadFile2Name"));
}

TEST_F(DialogsTest, AboutShowsTheProgramAndClosesWithOk)
{
    Open(IDM_ABOUT, "About Ovra", [](HWND d) {
        std::vector<std::string> texts;
        for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            texts.push_back(WindowText(c));
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "Version 1.1 Beta 2"));
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), "Ovra for Win32"));
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(GetDlgItem(d, IDOK), GWL_STYLE) & 0x0F);
        PressButton(d, IDOK);
    });
}

TEST_F(DialogsTest, TemplatesHaveTheirFramesAndFieldStyles)
{
    const struct {
        UINT command;
        const char *caption;
        bool systemMenu;
    } dialogs[] = {{IDM_FTP_LOGIN, "FTP Login", false},
                   {IDM_TIME_ZONE, "Time Zone", true},
                   {IDM_UPLOAD_FILES, "Upload File", true},
                   {IDM_CONNECTION, "Connection", true},
                   {IDM_PRESENCE, "Presence", true},
                   {IDM_ABOUT, "About Ovra", true}};
    for (const auto &dialog : dialogs) {
        Open(dialog.command, dialog.caption, [&](HWND d) {
            LONG style = GetWindowLongA(d, GWL_STYLE);
            EXPECT_EQ(dialog.systemMenu, (style & WS_SYSMENU) != 0) << dialog.caption;
            EXPECT_NE(0, style & WS_CAPTION);
            EXPECT_NE(0, style & WS_POPUP);
            EXPECT_EQ(g_hMainWindow, GetWindow(d, GW_OWNER)) << dialog.caption;
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
    }
    Open(IDM_FTP_LOGIN, "FTP Login", [](HWND d) {
        // Each field scrolls, so that 127 characters can be typed whole.
        for (int id : {IDC_LOGIN_HOST, IDC_LOGIN_USER, IDC_LOGIN_PASSWORD}) {
            HWND field = GetDlgItem(d, id);
            SetWindowTextA(field, "");
            for (int i = 0; i < 127; i++)
                SendMessageA(field, WM_CHAR, 'a' + i % 26, 1);
            EXPECT_EQ(127, GetWindowTextLengthA(field)) << id;
        }
        EXPECT_NE(0, GetWindowLongA(GetDlgItem(d, IDC_LOGIN_PASSWORD), GWL_STYLE) & ES_PASSWORD);
        PressButton(d, IDCANCEL);
    });
}

// A text its control cannot hold whole, measured in the font the dialog really uses (the
// system font of a template without a font of its own): "" when it fits. A check box's text
// starts after its box; a box too narrow for any text has a name for screen readers only.
std::string CutText(HWND control)
{
    char kind[16];
    GetClassNameA(control, kind, sizeof kind);
    LONG style = GetWindowLongA(control, GWL_STYLE);
    std::string text = WindowText(control);
    bool button = lstrcmpiA(kind, "Button") == 0;
    if ((lstrcmpiA(kind, "Static") != 0 && !button) || text.empty() ||
        (!button && (style & SS_TYPEMASK) > SS_RIGHT))
        return "";
    RECT room;
    GetClientRect(control, &room);
    UINT type = style & BS_TYPEMASK;
    bool check = button && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX);
    int margin = check ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : button ? 4 : 0;
    if (room.right - margin < 2 * GetSystemMetrics(SM_CXMENUCHECK))
        return check ? "" : text + " has no room";
    HDC dc = GetDC(control);
    HFONT font = (HFONT)SendMessageA(control, WM_GETFONT, 0, 0);
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
    RECT need = {0, 0, room.right - margin, 0};
    DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK));
    RECT line = {0, 0, 0, 0};
    DrawTextA(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    if (need.right <= room.right - margin && need.bottom <= room.bottom)
        return "";
    return text + ": needs " + std::to_string(line.right) + " by " + std::to_string(need.bottom) +
           " pixels, has " + std::to_string(room.right - margin) + " by " + std::to_string(room.bottom);
}

TEST_F(DialogsTest, EveryTextFitsItsControl)
{
    const struct {
        UINT command;
        const char *caption;
    } dialogs[] = {{IDM_FTP_LOGIN, "FTP Login"}, {IDM_TIME_ZONE, "Time Zone"},
                   {IDM_UPLOAD_FILES, "Upload File"}, {IDM_CONNECTION, "Connection"},
                   {IDM_ABOUT, "About Ovra"}, {IDM_FINGER, "Finger Query"}, {IDM_WEB, "Web Query"}};
    for (const auto &dialog : dialogs) {
        Open(dialog.command, dialog.caption, [&](HWND d) {
            for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                EXPECT_EQ("", CutText(c)) << dialog.caption;
            PostMessageA(d, WM_COMMAND, IDCANCEL, 0);
        });
    }
}

// A settings dialog opened while an exchange waits runs nested in it, and its value is
// what the exchange reads afterwards.
TEST_F(DialogsTest, SettingsDialogOpensWhileAnExchangeWaits)
{
    ScriptedPeer peer("127.0.0.201", kFtpPort);
    ASSERT_TRUE(peer.listening());
    peer.Start([](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        // Answer only once the nested dialog has written its value.
        DWORD start = GetTickCount();
        while (ReadIni("Settings", "Timezone") != "NZDT" && GetTickCount() - start < 20000)
            Sleep(20);
        c.Send("220 ready\r\n");
        c.WaitForClose();
    });
    boxes.OnDialog("Time Zone", [](HWND d) {
        SetDlgItemTextA(d, IDC_TIMEZONE, "NZDT");
        PressButton(d, IDOK);
    });
    PostMessageA(g_hMainWindow, WM_COMMAND, IDM_TIME_ZONE, 0);
    ArmWatchdog();
    SetBusy(1);
    SOCKET s = ConnectService("tcp", "ftp", "127.0.0.201");
    ASSERT_NE(INVALID_SOCKET, s);
    char reply[kReplySize];
    EXPECT_EQ(220, ReadReply(kReplySize, reply, s));
    EXPECT_EQ(0, boxes.PendingHandlers());
    EXPECT_EQ("NZDT", ReadIni("Settings", "Timezone"));
    NetClose(s);
    DisarmWatchdog();
    SetBusy(0);
    EXPECT_TRUE(peer.Join());
    ExpectIdle();
}

}  // namespace
