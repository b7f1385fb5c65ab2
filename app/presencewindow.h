// The main window's side of presence (app/presence.h): the notifications of lock, sleep and
// input, the timer that polls idle time and the automatic postings they call for.
//
// Notification handlers only record the event and post WM_PRESENCE; its handler starts a
// posting only when no exchange runs, so postings never nest and a sender never waits on one.
#ifndef OVRA_PRESENCEWINDOW_H
#define OVRA_PRESENCEWINDOW_H

#include <windows.h>

enum {
    kPresenceTimerId = 2,  // the watchdog is timer 1
    WM_PRESENCE = WM_APP + 20,
};

// WM_CREATE, before Auto Post: reads the settings, registers what they ask for.
void StartPresence(HWND window);
// WM_DESTROY, before the window goes: unregisters.
void StopPresence(HWND window);
// The taskbar was created again: the icon goes back on it.
void PresenceTaskbarCreated(HWND window);
// The Presence dialog ended with OK.
void ApplyPresenceSettings(HWND window);
// Retry Now on the Post menu.
void RetryPresenceNow(HWND window);
// The user's own posting (menu, Auto Post, a word) ended with result (0: it succeeded).
void UserPostingEnded(HWND window, bool on, int result);
void PresenceSessionChange(HWND window, WPARAM event);
void PresencePowerEvent(HWND window, WPARAM event);
// The presence timer's WM_TIMER.
void PresenceTimer(HWND window);
// WM_PRESENCE: the next automatic posting or box, if one is due.
void RunPresence(HWND window);

#endif
