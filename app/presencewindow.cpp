#include "app/presencewindow.h"

#include <wtsapi32.h>

#include <string.h>

#include "app/appstate.h"
#include "app/handover.h"
#include "app/message.h"
#include "app/presence.h"
#include "app/systemdll.h"
#include "app/trayicon.h"
#include "net/netio.h"
#include "net/report.h"
#include "post/post.h"
#include "res/resource.h"
#include "settings/values.h"

enum : UINT { kPollPresentMs = 5000, kPollAwayMs = 1000, kBusyRetryMs = 1000,
              kTrayRetryMs = 60000, kBalloonAtFailure = 3 };

typedef BOOL(WINAPI *SessionRegister)(HWND, DWORD);
typedef BOOL(WINAPI *SessionUnregister)(HWND);

static struct {
    Presence state;
    bool offWhenLocked;
    bool offWhenAsleep;
    uint32_t idleMs;
    bool trayIcon;
    bool sessionRegistered;
    bool frozen;              // the sleep froze the automatic posting: it ends quietly
    bool trayPending;         // the shell refused the icon at start: tried again for a minute
    uint32_t trayRetryUntil;
    uint32_t timerMs;         // the period the timer runs at, 0 while it is off
} presence;

static void ReadPresenceSettings(void)
{
    presence.offWhenLocked = ReadSwitch(kOffWhenLocked);
    presence.offWhenAsleep = ReadSwitch(kOffWhenAsleep);
    int minutes = ReadSettingInt(kIdleMinutes);
    presence.idleMs = minutes > 0 && minutes <= 10000 ? (uint32_t)minutes * 60000u : 0;
    presence.trayIcon = ReadSwitch(kTrayIcon);
}

// A failure here is retried at logon and on the timer: at logon the session service may not
// be ready yet.
static void RegisterSession(HWND window)
{
    if (!presence.offWhenLocked || presence.sessionRegistered)
        return;
    auto call = reinterpret_cast<SessionRegister>(reinterpret_cast<void *>(
        SystemFunction("wtsapi32.dll", "WTSRegisterSessionNotification")));
    presence.sessionRegistered = call != nullptr && call(window, NOTIFY_FOR_THIS_SESSION);
}

static void UnregisterSession(HWND window)
{
    if (!presence.sessionRegistered)
        return;
    auto call = reinterpret_cast<SessionUnregister>(reinterpret_cast<void *>(
        SystemFunction("wtsapi32.dll", "WTSUnRegisterSessionNotification")));
    if (call != nullptr)
        call(window);
    presence.sessionRegistered = false;
}

static uint32_t Now(void)
{
    return GetTickCount();
}

// The timer runs only while something is due: idle polling (every 5 s while present, every
// 1 s while away), a settle or retry to wait out, a registration to try again. A timer that
// already runs at the period wanted is left alone: it fires no later than a new one would,
// and setting it again on every wake-up would cost two calls to the window server.
static void Schedule(HWND window, uint32_t waitMs)
{
    uint32_t period = 0;
    if (presence.idleMs != 0 && presence.state.following)
        period = (presence.state.reasons & kAwayIdle) != 0 ? kPollAwayMs : kPollPresentMs;
    if ((presence.offWhenLocked && !presence.sessionRegistered) || presence.trayPending)
        period = kPollPresentMs;
    if (waitMs != 0 && (period == 0 || waitMs < period))
        period = waitMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : waitMs;
    if (period == presence.timerMs)
        return;
    presence.timerMs = period;
    if (period == 0)
        KillTimer(window, kPresenceTimerId);
    else
        SetTimer(window, kPresenceTimerId, period, nullptr);
}

static void Kick(HWND window)
{
    PostMessageA(window, WM_PRESENCE, 0, 0);
}

// Reasons whose setting is off no longer hold.
static void DropUnwatchedReasons(uint32_t now)
{
    if (!presence.offWhenLocked)
        PresenceSetReason(&presence.state, kAwayLocked | kAwayDisconnected, false, now);
    if (!presence.offWhenAsleep)
        PresenceSetReason(&presence.state, kAwayAsleep, false, now);
    if (presence.idleMs == 0)
        PresenceSetReason(&presence.state, kAwayIdle, false, now);
}

enum {
    kTipSize = 1025,  // wsprintfA writes at most 1,024 characters
    kTipPrefix = 6,   // "Ovra: ", which the menu's line leaves out
};

static void ShowTip(HWND window, TrayState state, UINT formatId, const char *first,
                    const char *second, const char *third, char *tip)
{
    char format[kMessageLineSize];
    LoadMessageText(formatId, format, sizeof format);
    wsprintfA(tip, format, first, second, third);
    SetTrayStatus(window, state, tip);
}

// The Post menu ends, while automatic postings fail, with what failed and when it is tried
// next, and Retry Now; a posting that succeeds takes the lines away.
static void ShowFailureLines(HWND window, const char *text)
{
    HMENU post = GetSubMenu(GetMenu(window), 0);
    for (int i = GetMenuItemCount(post) - 1; i >= 2; i--) {
        if (GetMenuItemID(post, i) != IDM_RETRY_NOW)
            continue;
        for (int k = 0; k < 3; k++)
            DeleteMenu(post, i - 2, MF_BYPOSITION);
        break;
    }
    if (text == nullptr)
        return;
    char retry[kMessageLineSize];
    LoadMessageText(IDS_RETRY_NOW, retry, sizeof retry);
    AppendMenuA(post, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(post, MF_STRING | MF_GRAYED, 0, text);
    AppendMenuA(post, MF_STRING, IDM_RETRY_NOW, retry);
}

static void ClockText(uint32_t aheadMs, char *text)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    unsigned seconds = now.wHour * 3600u + now.wMinute * 60u + now.wSecond + aheadMs / 1000;
    wsprintfA(text, "%02u:%02u", seconds / 3600 % 24, seconds / 60 % 60);
}

// What the world reads after a posting ended, on the icon; a streak of failures gets one
// balloon (at its third, or at once when it stops the postings).
static void ShowPostingEnded(HWND window, bool on, bool automatic, PostOutcome outcome)
{
    char clock[8], why[80], tip[kTipSize];
    ClockText(outcome == kPostTransient ? PresenceRetryDelay(presence.state.failures) : 0, clock);
    if (outcome == kPostDone) {
        ShowTip(window, on ? kTrayOn : kTrayOff, on ? IDS_TIP_ON : IDS_TIP_OFF, clock,
                g_LoginInfo.host, nullptr, tip);
        ShowFailureLines(window, nullptr);
        return;
    }
    if (!automatic || outcome == kPostQuiet) {
        ShowTip(window, kTrayUnknown, IDS_TIP_UNKNOWN, nullptr, nullptr, nullptr, tip);
        return;
    }
    // The failure's first line: lstrcpynA cuts it to fit.
    const char *text = KeptFailure()->text;
    size_t length = strcspn(text, "\r\n");
    lstrcpynA(why, text, (int)(length < sizeof why ? length + 1 : sizeof why));
    bool stopped = outcome == kPostPermanent;
    ShowTip(window, kTrayUnknown, stopped ? IDS_TIP_STOPPED : IDS_TIP_FAILED, on ? "On" : "Off",
            why, clock, tip);
    ShowFailureLines(window, tip + kTipPrefix);
    if (stopped || presence.state.failures == kBalloonAtFailure)
        ShowTrayBalloon(window, KeptFailure()->text);
}

static void ShowTrayIcon(HWND window)
{
    presence.trayPending = false;
    if (!presence.trayIcon)
        RemoveTrayIcon(window);
    else if (!AddTrayIcon(window) && (int32_t)(presence.trayRetryUntil - Now()) > 0)
        presence.trayPending = true;
}

void StartPresence(HWND window)
{
    presence = {};
    ReadPresenceSettings();
    RegisterSession(window);
    presence.trayRetryUntil = Now() + kTrayRetryMs;
    char tip[kTipSize];
    ShowTip(window, kTrayUnknown, IDS_TIP_UNKNOWN, nullptr, nullptr, nullptr, tip);
    ShowTrayIcon(window);
    Kick(window);
}

void StopPresence(HWND window)
{
    KillTimer(window, kPresenceTimerId);
    presence.timerMs = 0;
    UnregisterSession(window);
    RemoveTrayIcon(window);
}

void PresenceTaskbarCreated(HWND window)
{
    ShowTrayIcon(window);
}

void ApplyPresenceSettings(HWND window)
{
    ReadPresenceSettings();
    if (presence.offWhenLocked)
        RegisterSession(window);
    else
        UnregisterSession(window);
    DropUnwatchedReasons(Now());
    PresenceSettingsChanged(&presence.state);
    ShowTrayIcon(window);
    Kick(window);
}

void RetryPresenceNow(HWND window)
{
    PresenceRetryNow(&presence.state, Now());
    Kick(window);
}

void UserPostingEnded(HWND window, bool on, int result)
{
    PresenceUserPosted(&presence.state, on, result == 0, Now());
    ShowPostingEnded(window, on, false, result == 0 ? kPostDone : kPostPermanent);
    Kick(window);
}

void PresenceSessionChange(HWND window, WPARAM event)
{
    if (event == WTS_SESSION_LOGON)
        RegisterSession(window);
    if (!presence.offWhenLocked)
        return;
    uint32_t now = Now();
    switch (event) {
    case WTS_SESSION_LOCK:       PresenceSetReason(&presence.state, kAwayLocked, true, now); break;
    case WTS_SESSION_UNLOCK:     PresenceSetReason(&presence.state, kAwayLocked, false, now); break;
    case WTS_CONSOLE_DISCONNECT:
    case WTS_REMOTE_DISCONNECT:  PresenceSetReason(&presence.state, kAwayDisconnected, true, now); break;
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:     PresenceSetReason(&presence.state, kAwayDisconnected, false, now); break;
    default:                     return;
    }
    Kick(window);
}

void PresencePowerEvent(HWND window, WPARAM event)
{
    if (!presence.offWhenAsleep)
        return;
    if (event == PBT_APMSUSPEND)
        PresenceSetReason(&presence.state, kAwayAsleep, true, Now());
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        PresenceResumed(&presence.state, Now());
        // Its connection is most likely dead: cut the wait rather than wait for the watchdog.
        presence.frozen = presence.state.running;
        if (presence.frozen)
            NetCancelWait();
    } else
        return;
    Kick(window);
}

static void PollIdle(void)
{
    if (presence.idleMs == 0 || !presence.state.following)
        return;
    LASTINPUTINFO input = {sizeof input, 0};
    if (!GetLastInputInfo(&input))
        return;
    uint32_t now = Now();
    bool idle = PresenceIdle(&presence.state, input.dwTime, now, presence.idleMs);
    PresenceSetReason(&presence.state, kAwayIdle, idle, now);
}

void PresenceTimer(HWND window)
{
    RegisterSession(window);
    if (presence.trayPending)
        ShowTrayIcon(window);
    PollIdle();
    RunPresence(window);
}

static PostOutcome Outcome(int result)
{
    if (result == 0)
        return kPostDone;
    const QuietFailure *failure = KeptFailure();
    if (failure->socketError == kNetAbandoned)
        return kPostQuiet;
    return ClassifyFailure(failure->socketError, failure->fromServer ? failure->reply : nullptr);
}

static void RunAutomatic(WPARAM command, LPARAM)
{
    SetQuietReports(true);
    int result = PostStatus((int)command, g_LoginInfo, false);
    SetQuietReports(false);
    PostOutcome outcome = presence.frozen ? kPostQuiet : Outcome(result);
    presence.frozen = false;
    PresencePosted(&presence.state, outcome, Now());
    ShowPostingEnded(g_hMainWindow, command == IDM_POST_ON, true, outcome);
}

void RunPresence(HWND window)
{
    // An exchange runs (its waits dispatch this message): look again once it has ended.
    if (g_BusyMode != 0) {
        Schedule(window, kBusyRetryMs);
        return;
    }
    uint32_t waitMs = 0;
    PresenceAction action = PresenceNext(&presence.state, Now(), &waitMs);
    Schedule(window, waitMs);
    if (action == kPresenceShowFailure) {
        const QuietFailure *failure = KeptFailure();
        ShowText(MB_ICONERROR, failure->caption, failure->text, window);
    } else if (action != kPresenceWait) {
        // Counted as a command, so that words handed over meanwhile wait their turn.
        WPARAM command = action == kPresencePostOn ? IDM_POST_ON : IDM_POST_OFF;
        ReceiveCommand(window, command, MAKELPARAM(kPostUnattended, kOwnCommand), RunAutomatic);
    } else {
        return;
    }
    Kick(window);  // the state may have moved on meanwhile: the latest wanted state is next
}
