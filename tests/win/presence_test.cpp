// The status following its user: lock, sleep and idle fired at the real window (Wine never
// delivers them itself), the postings checked at the real FTP daemon, and no box meanwhile.
#include "app.h"
#include "ftp_daemon.h"
#include "peer.h"

#include <wtsapi32.h>

#include <atomic>
#include <regex>
#include <thread>

#include "app/appstate.h"
#include "net/watchdog.h"
#include "res/resource.h"

namespace {

using namespace daemon_ftp;

const char kNobody[] = "127.0.1.30";  // nothing listens here: connections are refused
const char kSilent[] = "127.0.1.31";  // a scripted server that greets, then says nothing

class PresenceTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        if (!Reachable())
            GTEST_SKIP() << kNotRunning;
        RemoveStored(".project");
        WriteLogin(kAddress, kUser, kPassword);
        WriteIni("Settings", "Timezone", "EST");
    }

    // Started, and following after the user's On.
    void StartFollowing()
    {
        ASSERT_EQ(0, StartApp());
        Command(IDM_POST_ON);
        ASSERT_TRUE(Holds(OnPattern("EST"), 0));
    }

    static bool Holds(const std::string &pattern, DWORD withinMs)
    {
        std::regex wanted(pattern);
        auto matches = [&] { return std::regex_match(Stored(".project"), wanted); };
        return withinMs == 0 ? matches() : PumpUntil(matches, withinMs);
    }

    // The message as Windows sends it, from another thread, with this one dispatching;
    // how long the sender waited.
    static DWORD SendFromThread(UINT message, WPARAM wParam)
    {
        HWND window = g_hMainWindow;
        std::atomic<bool> done{false};
        DWORD waited = 0;
        std::thread sender([&] {
            DWORD start = GetTickCount();
            SendMessageA(window, message, wParam, 0);
            waited = GetTickCount() - start;
            done = true;
        });
        PumpUntil([&] { return done.load(); }, 10000);
        sender.join();
        return waited;
    }

    static void Pump(DWORD ms)
    {
        PumpUntil([] { return false; }, ms);
    }

    void ExpectNoBox()
    {
        for (const SeenBox &box : boxes.Take())
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
    }
};

TEST_F(PresenceTest, WithTheSettingsOffLockAndSuspendPostNothing)
{
    StartFollowing();
    RemoveStored(".project");
    SendFromThread(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    SendFromThread(WM_POWERBROADCAST, PBT_APMSUSPEND);
    Pump(1500);
    EXPECT_EQ("<missing>", Stored(".project"));
    ExpectNoBox();
}

TEST_F(PresenceTest, LockPostsOffAtOnceAndUnlockOnOnlyAfterTheSettle)
{
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    SendFromThread(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    EXPECT_TRUE(Holds(OffPattern("EST"), 10000));
    // A flap, posted as Windows may post it: the On waits for 5 s of presence.
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    Pump(3000);
    EXPECT_TRUE(Holds(OffPattern("EST"), 0));
    EXPECT_TRUE(Holds(OnPattern("EST"), 10000));
    ExpectNoBox();
    ExpectIdle();
    // The user's Off stops following: a lock posts nothing more.
    Command(IDM_POST_OFF);
    RemoveStored(".project");
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    Pump(1500);
    EXPECT_EQ("<missing>", Stored(".project"));
}

TEST_F(PresenceTest, SuspendPostsOffAndResumeOnAfterTheSettle)
{
    WriteIni("Settings", "OffWhenAsleep", "true");
    StartFollowing();
    SendFromThread(WM_POWERBROADCAST, PBT_APMSUSPEND);
    EXPECT_TRUE(Holds(OffPattern("EST"), 10000));
    PostMessageA(g_hMainWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(Holds(OnPattern("EST"), 10000));
    ExpectNoBox();
}

// The user's forgotten dialog does not hold back the Off: its modal loop runs the posting.
TEST_F(PresenceTest, LockWhileADialogIsOpenPostsOffBeforeItCloses)
{
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    bool offWhileOpen = false;
    std::thread watcher;
    boxes.OnDialog("Time Zone", [&](HWND dialog) {
        PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
        watcher = std::thread([&offWhileOpen, dialog] {
            std::regex off(OffPattern("EST"));
            for (int i = 0; i < 200 && !offWhileOpen; i++) {
                offWhileOpen = std::regex_match(Stored(".project"), off);
                Sleep(50);
            }
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
    });
    Command(IDM_TIME_ZONE);
    watcher.join();
    EXPECT_TRUE(offWhileOpen);
    ExpectNoBox();
}

std::string MenuText(HMENU menu, int position)
{
    char text[256] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

// The Post menu names the failure and its next try; Retry Now does not wait for it.
TEST_F(PresenceTest, ARefusedOffIsRetriedQuietlyUntilTheServerAccepts)
{
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    lstrcpyA(g_LoginInfo.host, kNobody);
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    Pump(1000);
    EXPECT_TRUE(Holds(OnPattern("EST"), 0));
    ExpectNoBox();
    ExpectIdle();
    HMENU post = GetSubMenu(GetMenu(g_hMainWindow), 0);
    ASSERT_EQ(7, GetMenuItemCount(post));
    EXPECT_TRUE(std::regex_match(MenuText(post, 5), std::regex("Off not posted \x97 \\[10061\\] "
                                 "Connection refused; next try [0-2][0-9]:[0-5][0-9]")))
        << MenuText(post, 5);
    EXPECT_NE(0u, GetMenuState(post, 5, MF_BYPOSITION) & MF_GRAYED);
    EXPECT_EQ((UINT)IDM_RETRY_NOW, GetMenuItemID(post, 6));
    lstrcpyA(g_LoginInfo.host, kAddress);
    Command(IDM_RETRY_NOW);
    EXPECT_TRUE(Holds(OffPattern("EST"), 2500));
    ExpectNoBox();
    EXPECT_EQ(4, GetMenuItemCount(post));
}

// The sender is never held by the posting, and a silent server ends at the watchdog, quietly.
TEST_F(PresenceTest, ALockWhileTheServerIsSilentHoldsNoSenderAndShowsNoBox)
{
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    ScriptedPeer peer(kSilent, kFtpPort);
    ASSERT_TRUE(peer.listening());
    std::atomic<bool> closed{false};
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection control = p.Accept();
        control.Send("220 ready\r\n");
        std::string line;
        while (control.ReadLine(&line)) {
        }
        closed = true;
    });
    lstrcpyA(g_LoginInfo.host, kSilent);
    SetWatchdogPeriod(1000);
    EXPECT_GT(500u, SendFromThread(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK));
    EXPECT_TRUE(PumpUntil([&] { return closed.load(); }, 10000));
    SetWatchdogPeriod(kWatchdogPeriod);
    ASSERT_TRUE(peer.Join());
    EXPECT_EQ(std::vector<std::string>{"USER ovra"}, peer.Transcript());
    ExpectNoBox();
    ExpectIdle();
    EXPECT_TRUE(Holds(OnPattern("EST"), 0));
}

TEST_F(PresenceTest, A530ShowsOneBoxOnlyOnceTheUserIsBackAndStopsThePostings)
{
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    lstrcpyA(g_LoginInfo.password, "wrong");
    SendFromThread(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    Pump(3000);  // a login the daemon refuses takes it a moment
    EXPECT_TRUE(boxes.Seen().empty()) << "a box while locked";
    lstrcpyA(g_LoginInfo.password, kPassword);
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    ASSERT_TRUE(PumpUntil([&] { return !boxes.Seen().empty(); }, 5000));
    Pump(7000);  // no retry, no On, no second box
    std::vector<SeenBox> seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra FTP Error", seen[0].caption);
    EXPECT_EQ(0u, seen[0].text.find("530")) << seen[0].text;
    EXPECT_TRUE(Holds(OnPattern("EST"), 0));
}

TEST_F(PresenceTest, AMinuteWithoutInputPostsOffAndInputOnAgain)
{
    WriteIni("Settings", "IdleMinutes", "1");
    StartFollowing();
    EXPECT_TRUE(Holds(OffPattern("EST"), 75000));
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    move.mi.dx = 1;
    ASSERT_EQ(1u, SendInput(1, &move, sizeof move));
    EXPECT_TRUE(Holds(OnPattern("EST"), 12000));
    ExpectNoBox();
}

// Explorer's tray window holds one child per icon; messages posted to it reach the program as
// the icon's callbacks.
HWND TrayIconWindow()
{
    HWND tray = FindWindowA("__winex11_standalone_tray", nullptr);
    return tray == nullptr ? nullptr : FindWindowExA(tray, nullptr, "__winex11_tray_icon", nullptr);
}

void Click(HWND icon, UINT down, UINT up)
{
    PostMessageA(icon, down, 0, MAKELPARAM(4, 4));
    PostMessageA(icon, up, 0, MAKELPARAM(4, 4));
}

TEST_F(PresenceTest, TheIconHidesTheMinimisedWindowAClickRestoresItAndItsMenuPostsOff)
{
    WriteIni("Settings", "TrayIcon", "true");
    StartFollowing();
    HWND icon = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (icon = TrayIconWindow()) != nullptr; }, 10000));
    ShowWindow(g_hMainWindow, SW_MINIMIZE);
    EXPECT_FALSE(IsWindowVisible(g_hMainWindow));
    Click(icon, WM_LBUTTONDOWN, WM_LBUTTONUP);
    EXPECT_TRUE(PumpUntil([] { return IsWindowVisible(g_hMainWindow) && !IsIconic(g_hMainWindow); },
                          5000));
    // The menu runs on this thread: another one chooses its second item, Post Off.
    std::thread chooser([] {
        HWND menu = nullptr;
        for (int i = 0; i < 200 && (menu == nullptr || !IsWindowVisible(menu)); i++, Sleep(50))
            menu = FindWindowA("#32768", nullptr);
        Sleep(200);  // the menu's loop has begun reading the keyboard
        for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN})
            PostMessageA(menu, WM_KEYDOWN, key, 0);
    });
    Click(icon, WM_RBUTTONDOWN, WM_RBUTTONUP);
    EXPECT_TRUE(Holds(OffPattern("EST"), 10000));
    chooser.join();
    ExpectNoBox();
    StopApp();
    EXPECT_TRUE(PumpUntil([] { return TrayIconWindow() == nullptr; }, 5000)) << "the icon stayed";
}

// The text of a visible tooltip window of explorer's, such as the icon's balloon.
std::string ExplorerTooltip()
{
    for (HWND w = FindWindowExA(nullptr, nullptr, "tooltips_class32", nullptr); w != nullptr;
         w = FindWindowExA(nullptr, w, "tooltips_class32", nullptr)) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        char text[256] = "";
        if (process != GetCurrentProcessId() && IsWindowVisible(w))
            SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 1000,
                                nullptr);
        if (text[0] != '\0')
            return text;
    }
    return "";
}

// A failure that stops the postings gets its balloon at once, while no box may show.
TEST_F(PresenceTest, AStopGetsABalloonAtOnce)
{
    WriteIni("Settings", "TrayIcon", "true");
    WriteIni("Settings", "OffWhenLocked", "true");
    StartFollowing();
    ASSERT_TRUE(PumpUntil([&] { return TrayIconWindow() != nullptr; }, 10000));
    lstrcpyA(g_LoginInfo.password, "wrong");
    PostMessageA(g_hMainWindow, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    std::string balloon;
    EXPECT_TRUE(PumpUntil([&] { return (balloon = ExplorerTooltip()).rfind("530", 0) == 0; }, 10000))
        << balloon;
    EXPECT_TRUE(boxes.Seen().empty());
}

}  // namespace
