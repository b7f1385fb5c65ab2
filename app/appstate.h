// The few process-wide values that belong to the main window.
#ifndef OVRA_APPSTATE_H
#define OVRA_APPSTATE_H

#include <windows.h>
#include "settings/logininfo.h"

extern HINSTANCE g_hInstance;   // module handle, for every resource load and dialog
extern HWND g_hMainWindow;      // recorded at WM_CREATE
extern HWND g_hOutputPane;      // read-only edit control filling the client area
extern LoginInfo g_LoginInfo;   // the one login record; each posting takes a copy
extern int g_AutoPostFlag;      // "AutoPost" as read at window creation, toggled by the menu
extern int g_BusyMode;          // wParam of the last WM_USER; 0 when idle
extern int g_ExitCode;          // set by Exit, handed to PostQuitMessage

#endif
