// The dialogs that edit settings, and About.
#ifndef OVRA_DIALOGS_H
#define OVRA_DIALOGS_H

#include <windows.h>

INT_PTR CALLBACK LoginBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TimezoneBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UploadFileBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ConnectionBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PresenceBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
