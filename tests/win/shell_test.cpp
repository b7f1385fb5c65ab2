// The main window, its menu, the pane, busy mode and the commands the shell runs itself.
#include "app.h"
#include "process.h"

#include <stdlib.h>

#include "app/appstate.h"
#include "app/busy.h"
#include "app/mainwindow.h"
#include "net/report.h"
#include "res/resource.h"
#include "settings/scramble.h"

namespace {

struct MenuEntry {
    int popup;
    int position;
    const char *text;
    UINT id;  // 0 for a separator
};

const MenuEntry kMenu[] = {
    {0, 0, "&On", 101},  {0, 1, "O&ff", 102},         {0, 2, "", 0},
    {0, 3, "&Exit", 106}, {1, 0, "&Finger...", 103},  {1, 1, "&Web...", 104},
    {2, 0, "&Copy", 110}, {2, 1, "C&lear", 112},      {2, 2, "Last &Exchange", 119},
    {3, 0, "&Auto Post", 113},
    {3, 1, "&Time Zone...", 114}, {3, 2, "&Upload Files...", 115},
    {3, 3, "&FTP Login...", 107}, {3, 4, "&Save Window Position", 109},
    {3, 5, "&Connection...", 116}, {3, 6, "&Presence...", 117},
    {4, 0, "&Contents", 105}, {4, 1, "&Search...", 111}, {4, 2, "", 0},
    {4, 3, "&About...", 108},
};

using ShellTest = OvraTest;

TEST_F(ShellTest, MenuHasEveryItemInOrderEnabledAndUnchecked)
{
    ASSERT_EQ(0, StartApp());
    HMENU menu = GetMenu(g_hMainWindow);
    const char *popups[] = {"&Post", "&Query", "&Edit", "&Settings", "&Help"};
    ASSERT_EQ(5, GetMenuItemCount(menu));
    for (int i = 0; i < 5; i++) {
        char text[64];
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(popups[i], text);
    }
    const int counts[] = {4, 2, 3, 7, 4};
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(counts[i], GetMenuItemCount(GetSubMenu(menu, i)));
    for (const MenuEntry &e : kMenu) {
        HMENU sub = GetSubMenu(menu, e.popup);
        UINT state = GetMenuState(sub, e.position, MF_BYPOSITION);
        if (e.id == 0) {
            EXPECT_NE(0u, state & MF_SEPARATOR) << e.popup << "/" << e.position;
            continue;
        }
        char text[64];
        GetMenuStringA(sub, e.position, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(e.text, text);
        EXPECT_EQ(e.id, GetMenuItemID(sub, e.position));
        EXPECT_EQ(0u, state & (MF_GRAYED | MF_CHECKED)) << e.text;
    }
}

TEST_F(ShellTest, WindowHasTitleClassAndFixedFontPane)
{
    ASSERT_EQ(0, StartApp());
    EXPECT_EQ("Ovra", MainTitle());
    char name[32];
    GetClassNameA(g_hMainWindow, name, sizeof name);
    EXPECT_STREQ("OvraMain", name);
    EXPECT_EQ((LONG_PTR)(CS_HREDRAW | CS_VREDRAW), (LONG_PTR)GetClassLongPtrA(g_hMainWindow, GCL_STYLE));
    EXPECT_EQ(0, (LONG_PTR)GetClassLongPtrA(g_hMainWindow, GCLP_HCURSOR));
    EXPECT_EQ(COLOR_APPWORKSPACE + 1, (int)GetClassLongPtrA(g_hMainWindow, GCLP_HBRBACKGROUND));
    EXPECT_NE(0, (LONG_PTR)GetClassLongPtrA(g_hMainWindow, GCLP_HICON));

    ASSERT_NE(nullptr, g_hOutputPane);
    GetClassNameA(g_hOutputPane, name, sizeof name);
    EXPECT_STREQ("Edit", name);
    EXPECT_EQ(0x503008C4u, (UINT)GetWindowLongA(g_hOutputPane, GWL_STYLE));
    EXPECT_EQ(0, GetDlgCtrlID(g_hOutputPane));
    EXPECT_EQ((WPARAM)GetStockObject(SYSTEM_FIXED_FONT),
              (WPARAM)SendMessageA(g_hOutputPane, WM_GETFONT, 0, 0));
}

TEST_F(ShellTest, PaneFollowsTheClientAreaAndTakesTheFocus)
{
    ASSERT_EQ(0, StartApp());
    SetWindowPos(g_hMainWindow, nullptr, 10, 10, 400, 300, SWP_NOZORDER);
    RECT client, pane;
    GetClientRect(g_hMainWindow, &client);
    GetWindowRect(g_hOutputPane, &pane);
    MapWindowPoints(nullptr, g_hMainWindow, (POINT *)&pane, 2);
    EXPECT_EQ(0, pane.left);
    EXPECT_EQ(0, pane.top);
    EXPECT_EQ(client.right, pane.right);
    EXPECT_EQ(client.bottom, pane.bottom);

    SendMessageA(g_hMainWindow, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(g_hOutputPane, GetFocus());
}

TEST_F(ShellTest, ClearEmptiesThePaneAndRestoresTheTitle)
{
    ASSERT_EQ(0, StartApp());
    SetWindowTextA(g_hMainWindow, "Ovra - [u@h]");
    SetWindowTextA(g_hOutputPane, "some answer\r\n");
    Command(IDM_CLEAR);
    EXPECT_EQ("", PaneText());
    EXPECT_EQ("Ovra", MainTitle());
    Command(IDM_CLEAR);
    EXPECT_EQ("Ovra", MainTitle());
}

TEST_F(ShellTest, CopyPutsTheSelectionOnTheClipboard)
{
    ASSERT_EQ(0, StartApp());
    SetWindowTextA(g_hOutputPane, "alpha beta");
    SendMessageA(g_hOutputPane, EM_SETSEL, 6, 10);
    Command(IDM_COPY);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(nullptr, data);
    EXPECT_STREQ("beta", (const char *)GlobalLock(data));
    GlobalUnlock(data);
    CloseClipboard();
}

TEST_F(ShellTest, BusyModeGreysFourItemsAndShowsTheWaitCursor)
{
    ASSERT_EQ(0, StartApp());
    SetBusy(1);
    EXPECT_EQ(1, g_BusyMode);
    for (UINT id : {IDM_POST_ON, IDM_POST_OFF, IDM_FINGER, IDM_AUTO_POST})
        EXPECT_NE(0u, MenuState(id) & MF_GRAYED) << id;
    for (UINT id : {IDM_WEB, IDM_EXIT, IDM_COPY, IDM_CLEAR, IDM_TIME_ZONE, IDM_UPLOAD_FILES,
                    IDM_FTP_LOGIN, IDM_SAVE_POSITION, IDM_CONNECTION, IDM_PRESENCE, IDM_HELP_CONTENTS, IDM_HELP_SEARCH,
                    IDM_ABOUT})
        EXPECT_EQ(0u, MenuState(id) & MF_GRAYED) << id;
    // Over the pane and the frame alike, while busy, the cursor is the wait cursor.
    SetCursor(nullptr);
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWindow, WM_SETCURSOR, (WPARAM)g_hOutputPane,
                                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());
    SetCursor(nullptr);
    EXPECT_EQ(TRUE, SendMessageA(g_hMainWindow, WM_SETCURSOR, (WPARAM)g_hMainWindow,
                                 MAKELPARAM(HTCAPTION, WM_MOUSEMOVE)));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), GetCursor());

    SetBusy(0);
    EXPECT_EQ(0, g_BusyMode);
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), GetCursor());
    ExpectIdle();
}

TEST_F(ShellTest, OnlyTheWholeWParamSelectsACommand)
{
    ASSERT_EQ(0, StartApp());
    SetWindowTextA(g_hOutputPane, "kept");
    // A notification code in the high word makes it another value: nothing happens.
    Command(MAKEWPARAM(IDM_CLEAR, 1));
    Command(MAKEWPARAM(IDM_EXIT, 1));
    Command(999);
    EXPECT_TRUE(AppRunning());
    EXPECT_EQ("kept", PaneText());
}

TEST_F(ShellTest, ExitPostsTheLowWordOfLParamAsTheExitCode)
{
    ASSERT_EQ(0, StartApp());
    Command(IDM_EXIT, MAKELPARAM(7, 3));
    EXPECT_FALSE(AppRunning());
    StopApp();
    EXPECT_EQ(7, quitCode);
}

TEST_F(ShellTest, ClosingTheWindowQuitsWithCodeZero)
{
    ASSERT_EQ(0, StartApp());
    SendMessageA(g_hMainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(AppRunning());
    StopApp();
    EXPECT_EQ(0, quitCode);
}

TEST_F(ShellTest, SaveWindowPositionWritesTheOuterRectangle)
{
    ASSERT_EQ(0, StartApp());
    SetWindowPos(g_hMainWindow, nullptr, -40, -7, 500, 333, SWP_NOZORDER);
    RECT r;
    GetWindowRect(g_hMainWindow, &r);
    Command(IDM_SAVE_POSITION);
    EXPECT_EQ(std::to_string(r.left), ReadIni("WindowPosition", "X"));
    EXPECT_EQ(std::to_string(r.top), ReadIni("WindowPosition", "Y"));
    EXPECT_EQ("500", ReadIni("WindowPosition", "Width"));
    EXPECT_EQ("333", ReadIni("WindowPosition", "Height"));
    EXPECT_EQ("-40", ReadIni("WindowPosition", "X"));
}

TEST_F(ShellTest, SavedPositionIsWhereTheNextWindowOpens)
{
    WriteIni("WindowPosition", "X", "-25");
    WriteIni("WindowPosition", "Y", "40");
    WriteIni("WindowPosition", "Width", "420");
    WriteIni("WindowPosition", "Height", "310");
    ASSERT_EQ(0, StartApp());
    RECT r;
    GetWindowRect(g_hMainWindow, &r);
    EXPECT_EQ(-25, r.left);
    EXPECT_EQ(40, r.top);
    EXPECT_EQ(420, r.right - r.left);
    EXPECT_EQ(310, r.bottom - r.top);
}

TEST_F(ShellTest, NoSettingsFileGivesEmptyLoginAndNoAutoPost)
{
    ASSERT_EQ(0, StartApp());
    EXPECT_STREQ("", g_LoginInfo.host);
    EXPECT_STREQ("", g_LoginInfo.user);
    EXPECT_STREQ("", g_LoginInfo.password);
    EXPECT_EQ(0, g_AutoPostFlag);
    EXPECT_EQ(0u, MenuState(IDM_AUTO_POST) & MF_CHECKED);
    EXPECT_FALSE(IsIconic(g_hMainWindow));
    // Nothing is written just by starting.
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(IniPath().c_str()));
}

TEST_F(ShellTest, LoginIsLoadedAndThePasswordUnscrambled)
{
    std::string password;
    for (int c = 32; c < 127; c++)
        password += (char)c;
    password += "0123456789012345678901234567890";  // 126 printable characters
    password += "~";
    ASSERT_EQ(127u, password.size());
    char stored[128];
    ScramblePassword(password.c_str(), stored, sizeof stored);
    WriteIni("Login", "Host", "ftp.example.test");
    WriteIni("Login", "User", "alice");
    WriteIni("Login", "Password", stored);
    ASSERT_EQ(0, StartApp());
    EXPECT_STREQ("ftp.example.test", g_LoginInfo.host);
    EXPECT_STREQ("alice", g_LoginInfo.user);
    EXPECT_EQ(password, g_LoginInfo.password);
}

TEST_F(ShellTest, OverlongValuesAreCutTo127Characters)
{
    std::string host(300, 'h');
    WriteIni("Login", "Host", host.c_str());
    ASSERT_EQ(0, StartApp());
    EXPECT_EQ(std::string(127, 'h'), g_LoginInfo.host);
}

TEST_F(ShellTest, AutoPostTwoStartsMinimisedUncheckedAndKeepsTheFlag)
{
    WriteIni("Settings", "AutoPost", "2");
    ASSERT_EQ(0, StartApp());
    EXPECT_TRUE(IsIconic(g_hMainWindow));
    EXPECT_EQ(2, g_AutoPostFlag);
    EXPECT_EQ(0u, MenuState(IDM_AUTO_POST) & MF_CHECKED);
}

TEST_F(ShellTest, CommandLineWithoutAWordShowsTheWindow)
{
    ASSERT_EQ(0, StartApp("C:\\ovra\\ovra.exe onward x-online"));
    EXPECT_TRUE(AppRunning());
    EXPECT_TRUE(IsWindowVisible(g_hMainWindow));
}

TEST_F(ShellTest, SecondRegistrationFailsWithMinusOne)
{
    ASSERT_EQ(0, StartApp());
    HWND first = g_hMainWindow;
    EXPECT_EQ(-1, StartApp());
    EXPECT_EQ(first, g_hMainWindow);
}

TEST_F(ShellTest, UnknownWinsockCodeStillGetsABox)
{
    ASSERT_EQ(0, StartApp());
    WSASetLastError(12345);
    EXPECT_EQ(-1, ReportWinsockError());
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[12345] Unknown error", seen[0].text);
    ExpectIdle();
}

// The test prefix's web browser is a recorder (tools/win-tests.sh) that writes each address
// it is asked to open, a file:// URL of a Unix path, as a line of browser.log.
std::string BrowserLog()
{
    return FileBytes(WindowsPath(getenv("OVRA_TEST_TMP")) + "\\browser.log");
}

// Runs a Help command and returns the Windows path of the page the browser was asked to open.
std::string HelpPageOpenedBy(WPARAM command)
{
    std::string before = BrowserLog();
    SendMessageA(g_hMainWindow, WM_COMMAND, command, 0);
    std::string log;
    if (!PumpUntil([&] { return (log = BrowserLog()) != before && log.back() == '\n'; }, 20000))
        return "";
    std::string line = log.substr(log.rfind('\n', log.size() - 2) + 1);
    std::string path = line.substr(line.find("file://") + 7);
    path.erase(path.find_last_not_of(" \r\n") + 1);
    for (size_t at; (at = path.find("%20")) != std::string::npos;)
        path.replace(at, 3, " ");
    return WindowsPath(path);
}

// The caption of a dialog template: after its fixed header, its menu and class (each none,
// an ordinal or a string), in UTF-16.
std::string DialogCaption(const WORD *item)
{
    item = (const WORD *)((const BYTE *)item + 18);
    for (int field = 0; field < 2; field++) {
        if (*item == 0xFFFF)
            item += 2;
        else
            while (*item++ != 0) {
            }
    }
    std::string caption;
    while (*item != 0)
        caption += (char)*item++;
    return caption;
}

BOOL CALLBACK AddDialogCaption(HMODULE module, LPCSTR, LPSTR name, LONG_PTR captions)
{
    HRSRC found = FindResourceA(module, name, (LPCSTR)RT_DIALOG);
    const WORD *dialog = (const WORD *)LockResource(LoadResource(module, found));
    ((std::vector<std::string> *)captions)->push_back(DialogCaption(dialog));
    return TRUE;
}

TEST_F(ShellTest, HelpOpensAPageThatCoversEveryCommandDialogAndBox)
{
    ASSERT_EQ(0, StartApp());
    std::string page = HelpPageOpenedBy(IDM_HELP_CONTENTS);
    ASSERT_FALSE(page.empty()) << "the browser was not asked to open anything";
    std::string html = FileBytes(page);
    std::vector<std::string> names;
    HMENU menu = GetMenu(g_hMainWindow);
    for (int i = 0; i < GetMenuItemCount(menu); i++)
        for (int j = 0; j < GetMenuItemCount(GetSubMenu(menu, i)); j++) {
            char text[64] = "";
            GetMenuStringA(GetSubMenu(menu, i), j, text, sizeof text, MF_BYPOSITION);
            std::string name;
            for (const char *c = text; *c != '\0' && *c != '.'; c++)
                if (*c != '&')
                    name += *c;
            if (!name.empty())
                names.push_back(name);
        }
    EnumResourceNamesA(g_hInstance, (LPCSTR)RT_DIALOG, AddDialogCaption, (LONG_PTR)&names);
    for (UINT id : {IDS_WINSOCK_ERROR, IDS_ERROR, IDS_FTP_ERROR}) {
        char caption[128];
        LoadStringA(g_hInstance, id, caption, sizeof caption);
        names.push_back(caption);
    }
    EXPECT_GE(names.size(), 24u);  // 15 menu items, 6 dialogs, 3 captions
    for (const std::string &name : names)
        EXPECT_NE(std::string::npos, html.find(name)) << name << " is not in the help";
    EXPECT_TRUE(boxes.Take().empty());
}

// Wine's browser bridge finds none of the browsers it is told of: the box names the page.
TEST_F(ShellTest, HelpWithNoBrowserNamesThePageInItsBox)
{
    ASSERT_EQ(0, StartApp());
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\WineBrowser", 0,
                                             nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    static const char kNone[] = "no-such-browser";
    RegSetValueExA(key, "Browsers", 0, REG_SZ, (const BYTE *)kNone, sizeof kNone);
    std::string before = BrowserLog();
    Command(IDM_HELP_CONTENTS);
    RegDeleteValueA(key, "Browsers");
    RegCloseKey(key);
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Error", seen[0].caption);
    EXPECT_EQ(0u, seen[0].text.rfind("Ovra cannot show its help page\r\n" + OvraFolderPath() +
                                     "\\ovra-help.html\r\n\r\nNo web browser was found: open that file in one.", 0))
        << seen[0].text;
    EXPECT_EQ(before, BrowserLog());
}

TEST_F(ShellTest, HelpSearchOpensThePageAtItsIndex)
{
    ASSERT_EQ(0, StartApp());
    std::string opened = HelpPageOpenedBy(IDM_HELP_SEARCH);
    ASSERT_FALSE(opened.empty()) << "the browser was not asked to open anything";
    EXPECT_NE(std::string::npos, FileBytes(opened).find("url=ovra-help.html#index"));
    std::string page = opened.substr(0, opened.rfind('\\')) + "\\ovra-help.html";
    EXPECT_NE(std::string::npos, FileBytes(page).find("id=\"index\""));
    EXPECT_TRUE(boxes.Take().empty());
}

}  // namespace
