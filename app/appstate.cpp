#include "app/appstate.h"

HINSTANCE g_hInstance;
HWND g_hMainWindow;
HWND g_hOutputPane;
LoginInfo g_LoginInfo;
int g_AutoPostFlag;
int g_BusyMode;
int g_ExitCode;
