// In-process fixture: the real main window of Ovra, created the way start-up creates it,
// with a fresh "ovra.ini" for every test.
#ifndef OVRA_TEST_APP_H
#define OVRA_TEST_APP_H

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "boxes.h"

// %APPDATA%\Ovra as the shell names it, and the settings file in it.
std::string OvraFolderPath();
std::string IniPath();
void RemoveIni();
void WriteIni(const char *section, const char *key, const char *value);
// A file's bytes; "<no file>" when there is none.
std::string FileBytes(const std::string &path);
bool WriteFileBytes(const std::string &path, const std::string &bytes);
// The settings file's bytes as they stand on disk (the profile cache written out first).
std::string IniFileBytes();
std::string ReadIni(const char *section, const char *key, const char *defaultText = "<none>");

std::string PaneText();
std::string MainTitle();
UINT MenuState(UINT command);  // GetMenuState by command on the main menu
bool WatchdogArmed();           // probes timer 1 (and disarms it when it was armed)
// Runs the message loop until done() holds or timeoutMs passes; returns done().
bool PumpUntil(const std::function<bool()> &done, DWORD timeoutMs = 30000);

class OvraTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Registers the class and creates the main window (start-up's InitApplication).
    int StartApp(const char *commandLine = "", int show = SW_SHOWNORMAL);
    // Destroys the main window if it is still there and takes the quit message.
    void StopApp();
    bool AppRunning() const;
    void Command(WPARAM id, LPARAM lParam = 0);
    // Edit > Last Exchange, then the pane's text.
    std::string LastExchange();
    // After an exchange: no timer, busy mode off, the four items enabled, no socket open.
    void ExpectIdle();

    BoxWatcher boxes;
    int quitCode = -1;  // wParam of the quit message StopApp took, -1 when none
};

#endif
