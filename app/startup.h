// Process start: the hand-off to a running copy, the window class and the message loop.
#ifndef OVRA_STARTUP_H
#define OVRA_STARTUP_H

#include <windows.h>

// Hands the words to a running copy of this program: 1 when they were, 0 when there is
// none, -1 when it stopped answering before it had run them (the exit code is then
// kHandOverUnanswered).
int ActivateRunningInstance(char *commandLine);
enum { kHandOverUnanswered = 2 };
// Sends target the commands of the words; false when target did not answer in time.
bool ProcessCommandLine(HWND target, char *commandLine);
int InitApplication(int showCommand, char *commandLine);
WORD RunMessageLoop(void);

#endif
