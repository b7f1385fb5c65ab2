// The main window: its procedure, the pane and the commands it runs itself.
#ifndef OVRA_MAINWINDOW_H
#define OVRA_MAINWINDOW_H

#include <windows.h>
#include "settings/logininfo.h"

#define MAIN_CLASS "OvraMain"

enum { kAppTitleSize = 128 };  // the application's title (string IDS_APP_TITLE)

LRESULT CALLBACK MainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int ClearOutput(void);
BOOL SaveWindowPosition(void);
INT_PTR RunDialog(LPARAM parameter, DLGPROC procedure, const char *templateName, HWND owner);
int InitMainWindow(int *autoPostFlag, LoginInfo *loginInfo);
int ExitMainWindow(int autoPostFlag);

#endif
