// The two query dialogs.
#ifndef OVRA_QUERYBOX_H
#define OVRA_QUERYBOX_H

#include <windows.h>

INT_PTR CALLBACK FingerBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WebBox(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
