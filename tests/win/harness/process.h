// Starting ovra.exe itself in the test's Wine prefix and watching it from outside.
#ifndef OVRA_TEST_PROCESS_H
#define OVRA_TEST_PROCESS_H

#include <windows.h>

#include <string>
#include <vector>

#include "boxes.h"

struct OvraProcess {
    PROCESS_INFORMATION info = {};
    bool started = false;
    DWORD error = 0;  // CreateProcess's, when it did not start
};

// A Unix path as the Z: drive shows it to Windows programs under Wine.
std::string WindowsPath(const std::string &unixPath);
// The program under test, from the OVRA_EXE environment value (a Unix path under Wine).
std::string OvraExePath();
// Starts the program under test, or the copy exe, in the current folder or directory.
OvraProcess LaunchOvra(const std::string &arguments, const std::string &exe = "",
                       const char *directory = nullptr);
// Starts a process with this whole command line (the program's path first).
OvraProcess LaunchCommandLine(const std::string &line, const char *directory = nullptr);
// The process's main window once start-up has shown it (null after timeoutMs).
HWND WaitForMainWindow(const OvraProcess &p, DWORD timeoutMs = 20000);
// The message box or dialog the process shows next (null after timeoutMs or its exit).
HWND WaitForBox(const OvraProcess &p, DWORD timeoutMs = 20000);
// Reads a message box and presses its OK.
SeenBox CloseBox(HWND box);
// Waits for the process to end, closing any message box it shows meanwhile (recorded in
// boxes when given). Returns the exit code, or -1 if it did not end in time.
int WaitForExit(OvraProcess &p, std::vector<SeenBox> *boxes = nullptr, DWORD timeoutMs = 60000);
// Ends the process if it still runs, and releases its handles.
void EndOvra(OvraProcess &p);

#endif
