// The command-line words: "ovra.exe On" / "ovra.exe Off" started as their own process in
// this Wine prefix post to the real FTP daemon and end with exit code 0.
#include "app.h"
#include "ftp_daemon.h"

#include <regex>

namespace {

using namespace daemon_ftp;

class PostProcessTest : public OvraTest {
protected:
    void SetUp() override
    {
        OvraTest::SetUp();
        if (!Reachable())
            GTEST_SKIP() << "the FTP daemon (tests/servers/ftp.sh start, with OVRA_TEST_TMP "
                            "set) does not answer on 127.0.0.2:2121";
        const char *exe = getenv("OVRA_EXE");
        ASSERT_NE(nullptr, exe) << "OVRA_EXE must name ovra.exe";
        exePath = WindowsPath(exe);
        RemoveStored(".project");
        WriteLogin(kAddress, kUser, kPassword);
        WriteIni("Settings", "Timezone", "UTC+1");
    }

    // Runs ovra.exe with the given words; the exit code, or -1 when it did not end in time
    // (a message box waiting for a click, say).
    int Run(const std::string &words)
    {
        std::string line = "\"" + exePath + "\" " + words;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(exePath.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &process)) {
            ADD_FAILURE() << "cannot start " << exePath << ": " << GetLastError();
            return -1;
        }
        DWORD code = (DWORD)-1;
        if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        else
            TerminateProcess(process.hProcess, 99);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return (int)code;
    }

    std::string exePath;
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

}  // namespace
