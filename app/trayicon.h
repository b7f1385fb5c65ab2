// The icon in the notification area (Settings > Presence): what the world reads at a glance,
// a click to bring the window back and a menu of the commands used most.
#ifndef OVRA_TRAYICON_H
#define OVRA_TRAYICON_H

#include <windows.h>

enum { WM_TRAY_ICON = WM_APP + 21 };

enum TrayState { kTrayUnknown, kTrayOn, kTrayOff };

// Adds the icon (or brings it up to date when the shell has it already); false when the
// shell refused, as it does while the taskbar is not there yet.
bool AddTrayIcon(HWND window);
void RemoveTrayIcon(HWND window);
bool TrayIconShown(void);
// The state and tooltip shown, now and whenever the icon is added again.
void SetTrayStatus(HWND window, TrayState state, const char *tip);
void ShowTrayBalloon(HWND window, const char *text);
// WM_TRAY_ICON: a click restores the window, the context menu offers its commands.
void TrayIconEvent(HWND window, LPARAM lParam);
// The message Explorer broadcasts when the taskbar is created again.
bool IsTaskbarCreated(UINT message);
void RestoreMainWindow(HWND window);

#endif
