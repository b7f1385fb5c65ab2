// ovra.exe as a whole: one copy per desktop, the hand-off of On and Off, exit codes, the
// saved window position, the start-up show state, the settings file of older versions,
// the DLLs it loads, and its windows before the user's others.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <list>

#include "app.h"
#include "process.h"
#include "res/resource.h"

namespace {

// A window of the test's own that has the foreground, as the user's other work would.
struct OtherWindow {
    HWND window = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    OtherWindow() { SetForegroundWindow(window); }
    ~OtherWindow() { DestroyWindow(window); }
};

// Wine prefers its built-in DLLs to files of the same name; Windows has no built-in ones and
// loads the file it finds. This makes Wine do the same for one DLL, for ovra.exe only.
struct NativeFirst {
    HKEY key = nullptr;
    const char *name;
    explicit NativeFirst(const char *dll) : name(dll)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\ovra.exe\\DllOverrides",
                        0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)"native,builtin", 15);
    }
    ~NativeFirst()
    {
        RegDeleteValueA(key, name);
        RegCloseKey(key);
    }
};

std::string WindowsFolderFile(const char *name)
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, sizeof dir);
    return std::string(dir) + "\\" + name;
}

// Where a 32-bit version's writes to C:\Windows\ovra.ini went under file virtualization.
std::string VirtualStoreIni()
{
    char local[MAX_PATH];
    SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
    std::string windows = WindowsFolderFile("ovra.ini");
    return std::string(local) + "\\VirtualStore" + windows.substr(2);
}

// Removes a file or folder a test made outside the settings file, also when it stops early.
struct Removed {
    std::string path;
    ~Removed()
    {
        DeleteFileA(path.c_str());
        RemoveDirectoryA(path.c_str());
    }
};

void CreateFolders(const std::string &file)
{
    for (size_t at = file.find('\\', 3); at != std::string::npos; at = file.find('\\', at + 1))
        CreateDirectoryA(file.substr(0, at).c_str(), nullptr);
}

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

TEST_F(ProcessTest, SecondStartBringsTheFirstToTheFront)
{
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    OtherWindow other;
    ASSERT_EQ(other.window, GetForegroundWindow());
    second = LaunchOvra("");
    EXPECT_EQ(0, WaitForExit(second));
    EXPECT_EQ(window, GetForegroundWindow());
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

// Another program's window of the class: the words are not handed to it; this start runs
// them itself (the posting fails with its box, nothing listens at the host).
TEST_F(ProcessTest, AForeignWindowOfTheClassGetsNoWords)
{
    second = LaunchOvra("OvraMain", WindowsPath(getenv("OVRA_HELLO")));
    HWND window = WaitForMainWindow(second);
    ASSERT_NE(nullptr, window);
    first = LaunchOvra("On");
    std::vector<SeenBox> seen;
    EXPECT_EQ(0, WaitForExit(first, &seen));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_TRUE(IsWindow(window));  // any WM_COMMAND would have closed it
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

struct ImportCase {
    const char *virtualStore;  // null: no such file
    const char *windows;
    const char *taken;
};

TEST_F(ProcessTest, FirstStartTakesOverTheOldSettingsFileAndLeavesItAlone)
{
    const ImportCase cases[] = {
        {nullptr, "[Login]\r\nHost=old.example\r\n", "[Login]\r\nHost=old.example\r\n"},
        {"[Login]\r\nHost=virtual.example\r\n", "[Login]\r\nHost=old.example\r\n",
         "[Login]\r\nHost=virtual.example\r\n"},
    };
    Removed windowsFile{WindowsFolderFile("ovra.ini")}, virtualFile{VirtualStoreIni()};
    const std::string &windowsIni = windowsFile.path, &virtualIni = virtualFile.path;
    CreateFolders(virtualIni);
    for (const ImportCase &c : cases) {
        SCOPED_TRACE(c.taken);
        RemoveIni();
        DeleteFileA(virtualIni.c_str());
        if (c.virtualStore != nullptr) {
            ASSERT_TRUE(WriteFileBytes(virtualIni, c.virtualStore));
        }
        ASSERT_TRUE(WriteFileBytes(windowsIni, c.windows));
        HWND window = StartFirst();
        ASSERT_NE(nullptr, window);
        EXPECT_EQ(c.taken, IniFileBytes());
        // Changes go to the user's own file only.
        SendMessageA(window, WM_COMMAND, IDM_SAVE_POSITION, 0);
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
        EXPECT_EQ(0, WaitForExit(first));
        EndOvra(first);
        EXPECT_NE(std::string::npos, IniFileBytes().find("[WindowPosition]"));
        EXPECT_EQ(c.windows, FileBytes(windowsIni));
        if (c.virtualStore != nullptr) {
            EXPECT_EQ(c.virtualStore, FileBytes(virtualIni));
        }
    }
}

// An environment inherited from another user's process names that user's folders: the
// settings stay in this user's own.
TEST_F(ProcessTest, SettingsFolderIsTheUsersOwnWhateverTheEnvironmentSays)
{
    std::string elsewhere = WindowsPath(getenv("OVRA_TEST_TMP")) + "\\other-user";
    Removed folder{elsewhere};
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    char roaming[MAX_PATH], local[MAX_PATH];
    ASSERT_GT(GetEnvironmentVariableA("APPDATA", roaming, MAX_PATH), 0u);
    ASSERT_GT(GetEnvironmentVariableA("LOCALAPPDATA", local, MAX_PATH), 0u);
    SetEnvironmentVariableA("APPDATA", elsewhere.c_str());
    SetEnvironmentVariableA("LOCALAPPDATA", elsewhere.c_str());
    HWND window = StartFirst();  // inherits them
    SetEnvironmentVariableA("APPDATA", roaming);
    SetEnvironmentVariableA("LOCALAPPDATA", local);
    ASSERT_NE(nullptr, window);
    SendMessageA(window, WM_COMMAND, IDM_SAVE_POSITION, 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, WaitForExit(first));
    EXPECT_NE(std::string::npos, IniFileBytes().find("[WindowPosition]"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((elsewhere + "\\Ovra").c_str()));
}

TEST_F(ProcessTest, ASettingsFileThatCannotBeWrittenIsReportedOnceWithItsName)
{
    RemoveIni();
    // A folder standing where the file belongs defeats a write even for root.
    Removed folder{IniPath()};
    ASSERT_TRUE(CreateDirectoryA(IniPath().c_str(), nullptr));
    HWND window = StartFirst();
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_COMMAND, IDM_SAVE_POSITION, 0);
    HWND box = WaitForBox(first);
    ASSERT_NE(nullptr, box);
    SeenBox seen = CloseBox(box);
    EXPECT_EQ("Ovra Error", seen.caption);
    EXPECT_NE(std::string::npos, seen.text.find(IniPath())) << seen.text;
    // Later failures of the same run show no box.
    PostMessageA(window, WM_COMMAND, IDM_SAVE_POSITION, 0);
    PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    std::vector<SeenBox> later;
    EXPECT_EQ(0, WaitForExit(first, &later));
    EXPECT_TRUE(later.empty());
}

// A DLL that leaves "<its path>.loaded" when anything loads it, copied beside a copy of
// ovra.exe and into the folder it starts in as ctl3d32.dll (which Ovra loads itself),
// uxtheme.dll (which the system loads by name once windows exist: only the search that Ovra
// restricts at start keeps it from the program's folder) and wsock32.dll (an import of older
// builds, which Windows would take from beside the exe).
TEST_F(ProcessTest, DllsPlantedBesideTheProgramOrInTheCurrentFolderAreNeverLoaded)
{
    const char *plant = getenv("OVRA_PLANT_DLL");
    ASSERT_NE(nullptr, plant);
    std::string base = WindowsPath(getenv("OVRA_TEST_TMP")) + "\\plant";
    std::string folders[] = {base + "\\exe", base + "\\cwd"};
    const char *names[] = {"ctl3d32", "uxtheme", "wsock32"};
    CreateDirectoryA(base.c_str(), nullptr);
    for (const std::string &folder : folders) {
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const char *name : names)
            ASSERT_TRUE(CopyFileA(WindowsPath(plant).c_str(),
                                  (folder + "\\" + name + ".dll").c_str(), FALSE));
    }
    std::string exe = folders[0] + "\\ovra.exe";
    ASSERT_TRUE(CopyFileA(OvraExePath().c_str(), exe.c_str(), FALSE));
    std::list<NativeFirst> nativeFirst;
    for (const char *name : names)
        nativeFirst.emplace_back(name);
    first = LaunchOvra("", exe, folders[1].c_str());
    ASSERT_TRUE(first.started);
    HWND window = WaitForMainWindow(first);
    if (window != nullptr)
        PostMessageA(window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0, WaitForExit(first));
    nativeFirst.clear();
    EXPECT_NE(nullptr, window);
    for (const std::string &folder : folders)
        for (const char *name : names)
            EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
                      GetFileAttributesA((folder + "\\" + name + ".dll.loaded").c_str()))
                << folder << "\\" << name << ".dll was loaded";
}

}  // namespace
