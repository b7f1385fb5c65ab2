#include "app.h"

#include <shlobj.h>
#include <winsock.h>

#include <vector>

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "net/netio.h"
#include "res/resource.h"

std::string OvraFolderPath()
{
    char dir[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, dir);
    return std::string(dir) + "\\Ovra";
}

std::string IniPath()
{
    return OvraFolderPath() + "\\ovra.ini";
}

void RemoveIni()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniPath().c_str());  // flush any cache
    DeleteFileA(IniPath().c_str());
}

void WriteIni(const char *section, const char *key, const char *value)
{
    CreateDirectoryA(OvraFolderPath().c_str(), nullptr);
    WritePrivateProfileStringA(section, key, value, IniPath().c_str());
}

std::string FileBytes(const std::string &path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<no file>";
    std::string bytes;
    char buffer[4096];
    DWORD got;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = file != INVALID_HANDLE_VALUE &&
              WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string IniFileBytes()
{
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, IniPath().c_str());
    return FileBytes(IniPath());
}

std::string ReadIni(const char *section, const char *key, const char *defaultText)
{
    char value[4000];
    GetPrivateProfileStringA(section, key, defaultText, value, sizeof value, IniPath().c_str());
    return value;
}

std::string PaneText()
{
    int length = GetWindowTextLengthA(g_hOutputPane);
    std::vector<char> text((size_t)length + 1);
    GetWindowTextA(g_hOutputPane, text.data(), length + 1);
    return text.data();
}

std::string MainTitle()
{
    return WindowText(g_hMainWindow);
}

UINT MenuState(UINT command)
{
    return GetMenuState(GetMenu(g_hMainWindow), command, MF_BYCOMMAND);
}

bool WatchdogArmed()
{
    return KillTimer(g_hMainWindow, 1) != FALSE;
}

bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage((int)msg.wParam);
                return done();
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void OvraTest::SetUp()
{
    WSADATA data;
    WSAStartup(0x0101, &data);  // the peers' own reference, so resets never end theirs
    RemoveIni();
    g_hInstance = GetModuleHandleA(nullptr);
    g_hMainWindow = nullptr;
    g_hOutputPane = nullptr;
    g_LoginInfo = LoginInfo{};
    g_AutoPostFlag = 0;
    g_BusyMode = 0;
    g_ExitCode = 0;
}

void OvraTest::TearDown()
{
    StopApp();
    RemoveIni();
    WSACleanup();
}

int OvraTest::StartApp(const char *commandLine, int show)
{
    std::vector<char> line(commandLine, commandLine + strlen(commandLine) + 1);
    return InitApplication(show, line.data());
}

bool OvraTest::AppRunning() const
{
    return g_hMainWindow != nullptr && IsWindow(g_hMainWindow);
}

void OvraTest::StopApp()
{
    if (AppRunning())
        DestroyWindow(g_hMainWindow);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            quitCode = (int)msg.wParam;
        else
            DispatchMessageA(&msg);
    }
    UnregisterClassA(MAIN_CLASS, g_hInstance);
}

void OvraTest::Command(WPARAM id, LPARAM lParam)
{
    SendMessageA(g_hMainWindow, WM_COMMAND, id, lParam);
}

std::string OvraTest::LastExchange()
{
    Command(IDM_LAST_EXCHANGE);
    return PaneText();
}

void OvraTest::ExpectIdle()
{
    EXPECT_FALSE(WatchdogArmed()) << "the watchdog is still armed";
    EXPECT_EQ(0, g_BusyMode);
    for (UINT id : {IDM_POST_ON, IDM_POST_OFF, IDM_FINGER, IDM_AUTO_POST})
        EXPECT_EQ(0u, MenuState(id) & MF_GRAYED) << "menu item " << id << " still greyed";
    EXPECT_EQ(0, NetOpenSocketCount()) << "sockets left open";
    EXPECT_EQ(0, NetStartedLookupCount()) << "look-ups left to finish";
}
