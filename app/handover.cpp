#include "app/handover.h"

#include "app/appstate.h"

enum { kQueueSize = 16 };

struct QueuedCommand {
    WPARAM command;
    LPARAM lParam;
};

// The commands waiting, oldest first, and how deeply commands run inside one another.
static struct {
    QueuedCommand entries[kQueueSize];
    int count;
    int depth;
    bool handedOver;  // a queued command runs
} queue;

// Runs the command, counting how deeply commands run inside one another.
static void RunCounted(HWND window, WPARAM command, LPARAM lParam, CommandRunner run)
{
    queue.depth++;
    run(command, lParam);
    queue.depth--;
    // Posted, not run here: the command that just ended may itself run inside a modal loop.
    if (queue.depth == 0 && queue.count > 0)
        PostMessageA(window, WM_RUN_QUEUED, 0, 0);
}

// A copy started with a word hands it over by SendMessage from its own process; the
// program's own commands carry kOwnCommand, and menu choices are not sent.
static bool HandedOver(LPARAM lParam)
{
    return InSendMessage() && HIWORD(lParam) != kOwnCommand;
}

LRESULT ReceiveCommand(HWND window, WPARAM command, LPARAM lParam, CommandRunner run)
{
    if (HandedOver(lParam) && (queue.depth > 0 || queue.count > 0)) {
        if (queue.count == kQueueSize)
            return 0;  // a flood of starts: the latest are dropped, not run inside others
        queue.entries[queue.count++] = {command, lParam};
        return kCommandQueued;
    }
    RunCounted(window, command, lParam, run);
    return 0;
}

// One at a time: the end of each posts the message again for the next.
void RunQueuedCommands(HWND window, CommandRunner run)
{
    if (queue.depth > 0 || queue.count == 0)
        return;
    QueuedCommand next = queue.entries[0];
    queue.count--;
    for (int i = 0; i < queue.count; i++)
        queue.entries[i] = queue.entries[i + 1];
    queue.handedOver = true;
    RunCounted(window, next.command, next.lParam, run);
    queue.handedOver = false;
}

bool RunningHandedOver(void)
{
    return queue.handedOver;
}

void IssueCommand(WPARAM command)
{
    SendMessageA(g_hMainWindow, WM_COMMAND, command, MAKELPARAM(kPostUnattended, kOwnCommand));
}

void DropQueuedCommands(void)
{
    queue.count = 0;
}

int QueuedCommandCount(void)
{
    return queue.count;
}
