// Process start: the hand-off to a running copy, the window class and the message loop.
#ifndef OVRA_STARTUP_H
#define OVRA_STARTUP_H

#include <windows.h>

int ActivateRunningInstance(char *commandLine);
void ProcessCommandLine(HWND target, char *commandLine);
int InitApplication(int showCommand, char *commandLine);
WORD RunMessageLoop(void);

#endif
