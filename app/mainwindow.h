// The main window: its procedure, busy mode, the pane and the commands it runs itself.
#ifndef OVRA_MAINWINDOW_H
#define OVRA_MAINWINDOW_H

#include <windows.h>
#include "settings/logininfo.h"

#define MAIN_CLASS "OvraMain"

// lParam of WM_COMMAND On (101) or Off (102) for a posting that nobody started from the menu:
// Auto Post and the command-line words. Such a posting never stops to ask the user. A word
// handed over by a second start carries it too, so it holds however late the posting runs.
enum { kPostUnattended = 1 };

LRESULT CALLBACK MainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void SetBusy(int busy);
int ClearOutput(void);
BOOL SaveWindowPosition(void);
INT_PTR RunDialog(LPARAM parameter, DLGPROC procedure, const char *templateName, HWND owner);
int InitMainWindow(int *autoPostFlag, LoginInfo *loginInfo);
int ExitMainWindow(int autoPostFlag);

#endif
