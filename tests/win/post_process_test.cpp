// The command-line words: "ovra.exe On" / "ovra.exe Off" started as their own process in
// this Wine prefix post to the real FTP daemon and end with exit code 0.
#include "app.h"
#include "ftp_daemon.h"
#include "process.h"

#include <regex>

namespace {

using namespace daemon_ftp;

class PostProcessTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        if (!Reachable())
            GTEST_SKIP() << kNotRunning;
        ASSERT_NE(nullptr, getenv("OVRA_EXE")) << "OVRA_EXE must name ovra.exe";
        RemoveStored(".project");
        WriteLogin(kAddress, kUser, kPassword);
        WriteIni("Settings", "Timezone", "UTC+1");
    }

    // Runs ovra.exe with the given words; the exit code, or -1 when it did not end in time.
    // A message box would mean a failed posting: none may appear.
    int Run(const std::string &words)
    {
        OvraProcess p = LaunchOvra(words);
        EXPECT_TRUE(p.started) << "cannot start " << OvraExePath() << ": error " << p.error;
        std::vector<SeenBox> seen;
        int code = p.started ? WaitForExit(p, &seen) : -1;
        EndOvra(p);
        for (const SeenBox &box : seen)
            ADD_FAILURE() << "box " << box.caption << ": " << box.text;
        return code;
    }
};

TEST_F(PostProcessTest, WordOnPostsOnAndExits)
{
    EXPECT_EQ(0, Run("On"));
    std::string content = Stored(".project");
    EXPECT_TRUE(std::regex_match(content, std::regex(OnPattern("UTC\\+1")))) << content;
}

TEST_F(PostProcessTest, WordOffInAnyCasePostsOffAndExits)
{
    EXPECT_EQ(0, Run("oFF"));
    std::string content = Stored(".project");
    EXPECT_TRUE(std::regex_match(content, std::regex(OffPattern("UTC\\+1")))) << content;
}

TEST_F(PostProcessTest, WordOnWithAutoPostSetLeavesOffAsTheLastStatus)
{
    // On at creation, On for the word, then Off while closing.
    WriteIni("Settings", "AutoPost", "1");
    EXPECT_EQ(0, Run("On"));
    std::string content = Stored(".project");
    EXPECT_TRUE(std::regex_match(content, std::regex(OffPattern("UTC\\+1")))) << content;
}

// Nobody is there to answer a question: a certificate the system does not vouch for ends
// the posting with advice, whether the word is this copy's or handed to a running copy.
TEST_F(PostProcessTest, WordsFacingAnUnknownCertificateEndWithAdviceInsteadOfAQuestion)
{
    if (gethostbyname("unknown.ovra.test") == nullptr || !Reachable("127.0.0.8")) {
        GTEST_SKIP() << "needs the TLS daemons of tests/servers/ftps.sh and their host names";
    }
    WriteLogin("unknown.ovra.test", kUser, kPassword);
    WriteIni("Settings", "SecureFtp", "true");
    for (bool handedOver : {false, true}) {
        SCOPED_TRACE(handedOver ? "handed over" : "own word");
        OvraProcess first = LaunchOvra(handedOver ? "" : "On"), second;
        if (handedOver) {
            EXPECT_NE(nullptr, WaitForMainWindow(first));
            second = LaunchOvra("On");
        }
        std::vector<SeenBox> seen;
        EXPECT_EQ(0, WaitForExit(first, &seen));
        EndOvra(second);
        EndOvra(first);
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Ovra Certificate", seen[0].caption);
        EXPECT_NE(std::string::npos, seen[0].text.find("cannot be verified")) << seen[0].text;
        EXPECT_NE(std::string::npos, seen[0].text.find("Post once from the menu to review the certificate."));
    }
    EXPECT_EQ("<missing>", Stored(".project", "ftps-unknown"));
    EXPECT_EQ("<none>", ReadIni("Certificates", "unknown.ovra.test"));
}

// What Settings > Presence writes for the start at logon: a plain wineboot runs the Run key
// as a logon does, and with Auto Post the copy it starts posts On; closing it posts Off.
TEST_F(PostProcessTest, TheRunValueStartsOvraAtLogonAndAutoPostPostsOn)
{
    const char runKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    WriteIni("Settings", "AutoPost", "1");
    std::string value = "\"" + OvraExePath() + "\"";
    ASSERT_EQ(0, RegSetKeyValueA(HKEY_CURRENT_USER, runKey, "Ovra", REG_SZ, value.c_str(),
                                 (DWORD)value.size() + 1));
    OvraProcess boot = LaunchCommandLine("wineboot.exe");
    ASSERT_TRUE(boot.started);
    WaitForExit(boot);
    EndOvra(boot);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, runKey, "Ovra");
    std::regex on(OnPattern("UTC\\+1"));
    EXPECT_TRUE(PumpUntil([&] { return std::regex_match(Stored(".project"), on); }, 30000))
        << Stored(".project");
    HWND started = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (started = FindWindowA("OvraMain", nullptr)) != nullptr; }));
    PostMessageA(started, WM_CLOSE, 0, 0);
    std::regex off(OffPattern("UTC\\+1"));
    EXPECT_TRUE(PumpUntil([&] { return std::regex_match(Stored(".project"), off); }, 30000))
        << Stored(".project");
}

BOOL CALLBACK NotOwnWindow(HWND window, LPARAM)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process != GetCurrentProcessId();
}

// The session end as wineboot -e delivers it to every program's windows (then ends them):
// an Ovra that follows its user, every presence option on, posts Auto Post's Off as at exit.
// Bounded waits: a program that does not answer makes wineboot ask, in a box, whether to end
// it; that box is a failure here, never a wait for someone to click.
TEST_F(PostProcessTest, TheSessionEndWhileFollowingPostsAutoPostsOff)
{
    // Windows of this program would get the session end too, and then be ended with it.
    ASSERT_TRUE(EnumWindows(NotOwnWindow, 0)) << "this program has a window";
    WriteIni("Settings", "AutoPost", "1");
    for (const char *key : {"OffWhenLocked", "OffWhenAsleep", "TrayIcon"})
        WriteIni("Settings", key, "true");
    WriteIni("Settings", "IdleMinutes", "5");
    std::regex on(OnPattern("UTC\\+1")), off(OffPattern("UTC\\+1"));
    OvraProcess ovra = LaunchOvra(""), boot;
    std::vector<SeenBox> asked;
    if (PumpUntil([&] { return std::regex_match(Stored(".project"), on); }, 30000)) {
        boot = LaunchCommandLine("wineboot.exe -e");
        EXPECT_EQ(0, boot.started ? WaitForExit(boot, &asked, 30000) : -1) << "wineboot -e did not end";
        EXPECT_EQ(0, WaitForExit(ovra, nullptr, 10000)) << "Ovra outlived the session";
    } else {
        ADD_FAILURE() << "Auto Post's On was not stored: " << Stored(".project");
    }
    EndOvra(boot);
    EndOvra(ovra);
    for (const SeenBox &box : asked)
        ADD_FAILURE() << "wineboot asked: " << box.caption << ": " << box.text;
    EXPECT_TRUE(std::regex_match(Stored(".project"), off)) << Stored(".project");
}

}  // namespace
