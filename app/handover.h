// Commands that another copy of the program hands over (the words On and Off, then Exit)
// while this copy is in the middle of a command: they wait their turn instead of running
// inside the command that waits, and run in order once it has ended.
#ifndef OVRA_HANDOVER_H
#define OVRA_HANDOVER_H

#include <windows.h>

enum {
    // WM_COMMAND's result for a command that was queued. Older copies answer 0 to every
    // command, and the copy that handed it over then simply ends earlier.
    kCommandQueued = 0x4F51,
    // lParam's high word on the commands the program sends itself, which never wait.
    kOwnCommand = 0x4F56,
    // Posted to the main window when queued commands can run.
    WM_RUN_QUEUED = WM_APP + 10,
};

// lParam's low word on WM_COMMAND On (101) or Off (102) for a posting that nobody started
// from the menu: Auto Post and the command-line words. Such a posting never stops to ask the
// user. A word handed over by a second start carries it too, however late it runs.
enum { kPostUnattended = 1 };

typedef void (*CommandRunner)(WPARAM command, LPARAM lParam);

// WM_COMMAND: runs the command now, or queues it when another thread sent it while a
// command still runs (or others wait already). Returns 0, or kCommandQueued.
LRESULT ReceiveCommand(HWND window, WPARAM command, LPARAM lParam, CommandRunner run);
// WM_RUN_QUEUED: runs the oldest queued command, unless a command still runs (its end posts
// the message again).
void RunQueuedCommands(HWND window, CommandRunner run);
// True while a queued command runs: it came from another copy, whose user is not here.
bool RunningHandedOver(void);
// WM_DESTROY: what still waits goes with the window.
void DropQueuedCommands(void);
// Runs a posting (On or Off) on the main window from inside the program: Auto Post and the
// end of the session, which nobody watches. It carries kOwnCommand, so it never waits.
void IssueCommand(WPARAM command);
// For tests: the commands waiting.
int QueuedCommandCount(void);

#endif
