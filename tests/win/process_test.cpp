// ovra.exe as a whole: one copy per desktop, the hand-off of On and Off, exit codes, the
// saved window position and the start-up show state.
#include <gtest/gtest.h>

#include "app.h"
#include "process.h"
#include "res/resource.h"

namespace {

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RemoveIni();
        // Nothing listens here, so any posting fails at once with a refused connection.
        WriteIni("Login", "Host", "127.0.0.250");
    }
    void TearDown() override
    {
        EndOvra(second);
        EndOvra(first);
        RemoveIni();
    }
    HWND StartFirst(const std::string &arguments = "")
    {
        first = LaunchOvra(arguments);
        EXPECT_TRUE(first.started);
        return WaitForMainWindow(first);
    }
    OvraProcess first, second;
};

TEST_F(ProcessTest, ExitFromTheMenuEndsWithCodeZero)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    EXPECT_EQ("Ovra", WindowText(window));
    EXPECT_TRUE(IsWindowVisible(window));
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, WaitForExit(first));
}

TEST_F(ProcessTest, CloseBoxEndsWithCodeZero)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, WaitForExit(first));
}

TEST_F(ProcessTest, SecondStartRestoresTheFirstAndExitsZero)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    second = LaunchOvra("");
    EXPECT_EQ(0, WaitForExit(second));
    EXPECT_FALSE(IsIconic(window));
    EXPECT_TRUE(IsWindow(window));
    // The second start created no window of its own.
    EXPECT_EQ(window, FindWindowA("OvraMain", nullptr));
}

TEST_F(ProcessTest, SecondStartWithAWordMakesTheFirstPostAndClose)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    second = LaunchOvra("/OFF");
    std::vector<SeenBox> seen;
    // The first copy posts (and reports the refused connection), then exits.
    EXPECT_EQ(0, WaitForExit(first, &seen));
    EXPECT_EQ(0, WaitForExit(second));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[10061] Connection refused", seen[0].text);
}

TEST_F(ProcessTest, FirstStartWithOffPostsAndExitsWithoutShowing)
{
    first = LaunchOvra("off");
    ASSERT_TRUE(first.started);
    std::vector<SeenBox> seen;
    EXPECT_EQ(0, WaitForExit(first, &seen));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("[10061] Connection refused", seen[0].text);
}

TEST_F(ProcessTest, OnlyTheFirstRecognisedWordActs)
{
    // On then Off: one posting only, then the window is gone.
    first = LaunchOvra("x-On off");
    ASSERT_TRUE(first.started);
    std::vector<SeenBox> seen;
    EXPECT_EQ(0, WaitForExit(first, &seen));
    EXPECT_EQ(1u, seen.size());
}

TEST_F(ProcessTest, WordsThatOnlyContainOnAreIgnored)
{
    HWND window = StartFirst("onward on: online");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindowVisible(window));
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    std::vector<SeenBox> seen;
    EXPECT_EQ(0, WaitForExit(first, &seen));
    EXPECT_TRUE(seen.empty());
}

TEST_F(ProcessTest, OnOrOffInTheProgramsOwnPathIsNoWord)
{
    for (const char *folder : {"C:\\Stay On Top", "C:\\stay-on-top"}) {
        std::string exe = std::string(folder) + "\\ovra.exe";
        CreateDirectoryA(folder, nullptr);
        ASSERT_TRUE(CopyFileA(OvraExePath().c_str(), exe.c_str(), FALSE)) << exe;
        // Quoted as Explorer starts it when the path has blanks, bare when it has none.
        first = LaunchCommandLine(exe.find(' ') != std::string::npos ? "\"" + exe + "\"" : exe);
        HWND window = WaitForMainWindow(first);
        ASSERT_NE(nullptr, window) << exe << " posted and ended";
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(0, WaitForExit(first));
        EndOvra(first);
    }
}

TEST_F(ProcessTest, WindowOpensWhereItWasSaved)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    SetWindowPos(window, nullptr, -30, 25, 450, 320, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(window, WM_COMMAND, IDM_SAVE_POSITION, 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    ASSERT_EQ(0, WaitForExit(first));
    EXPECT_EQ("-30", ReadIni("WindowPosition", "X"));
    EndOvra(first);

    window = StartFirst();
    ASSERT_NE(nullptr, window);
    RECT r;
    GetWindowRect(window, &r);
    EXPECT_EQ(-30, r.left);
    EXPECT_EQ(25, r.top);
    EXPECT_EQ(450, r.right - r.left);
    EXPECT_EQ(320, r.bottom - r.top);
}

TEST_F(ProcessTest, NonZeroAutoPostStartsMinimisedAndPostsOffAtExit)
{
    WriteIni("Settings", "AutoPost", "2");
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsIconic(window));
    PostMessageA(window, WM_CLOSE, 0, 0);
    std::vector<SeenBox> seen;
    EXPECT_EQ(0, WaitForExit(first, &seen));
    // Nothing was posted at start (2 is not 1), but Off was attempted at exit.
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("[10061] Connection refused", seen[0].text);
}

}  // namespace
