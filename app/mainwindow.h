// The main window: its procedure, busy mode, the pane and the commands it runs itself.
#ifndef OVRA_MAINWINDOW_H
#define OVRA_MAINWINDOW_H

#include <windows.h>
#include "settings/logininfo.h"

#define MAIN_CLASS "OvraMain"

// lParam's low word on WM_COMMAND On (101) or Off (102) for a posting that nobody started
// from the menu: Auto Post and the command-line words. Such a posting never stops to ask the
// user. A word handed over by a second start carries it too, however late it runs.
enum { kPostUnattended = 1 };

enum { kAppTitleSize = 128 };  // the application's title (string IDS_APP_TITLE)

LRESULT CALLBACK MainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Runs a posting (On or Off) on the main window from inside the program: Auto Post and the
// end of the session, which nobody watches.
void IssueCommand(WPARAM command);
void SetBusy(int busy);
int ClearOutput(void);
BOOL SaveWindowPosition(void);
INT_PTR RunDialog(LPARAM parameter, DLGPROC procedure, const char *templateName, HWND owner);
int InitMainWindow(int *autoPostFlag, LoginInfo *loginInfo);
int ExitMainWindow(int autoPostFlag);

#endif
