#include "app/presencewindow.h"

#include <wtsapi32.h>

#include "app/appstate.h"
#include "app/handover.h"
#include "app/message.h"
#include "app/presence.h"
#include "app/systemdll.h"
#include "net/netio.h"
#include "net/report.h"
#include "post/post.h"
#include "res/resource.h"
#include "settings/values.h"

enum : UINT { kPollPresentMs = 5000, kPollAwayMs = 1000, kBusyRetryMs = 1000 };

typedef BOOL(WINAPI *SessionRegister)(HWND, DWORD);
typedef BOOL(WINAPI *SessionUnregister)(HWND);

static struct {
    Presence state;
    bool offWhenLocked;
    bool offWhenAsleep;
    uint32_t idleMs;
    bool sessionRegistered;
} presence;

static void ReadPresenceSettings(void)
{
    presence.offWhenLocked = ReadSwitch(kOffWhenLocked);
    presence.offWhenAsleep = ReadSwitch(kOffWhenAsleep);
    int minutes = ReadSettingInt(kIdleMinutes);
    presence.idleMs = minutes > 0 && minutes <= 10000 ? (uint32_t)minutes * 60000u : 0;
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
// 1 s while away), a settle or retry to wait out, a registration to try again.
static void Schedule(HWND window, uint32_t waitMs)
{
    uint32_t period = 0;
    if (presence.idleMs != 0 && presence.state.following)
        period = (presence.state.reasons & kAwayIdle) != 0 ? kPollAwayMs : kPollPresentMs;
    if (presence.offWhenLocked && !presence.sessionRegistered)
        period = kPollPresentMs;
    if (waitMs != 0 && (period == 0 || waitMs < period))
        period = waitMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : waitMs;
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

void StartPresence(HWND window)
{
    presence = {};
    ReadPresenceSettings();
    RegisterSession(window);
}

void StopPresence(HWND window)
{
    KillTimer(window, kPresenceTimerId);
    UnregisterSession(window);
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
    Kick(window);
}

void UserPostingEnded(HWND window, bool on, int result)
{
    PresenceUserPosted(&presence.state, on, result == 0, Now());
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
    else if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND)
        PresenceResumed(&presence.state, Now());
    else
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
    KillTimer(window, kPresenceTimerId);
    RegisterSession(window);
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
    PresencePosted(&presence.state, Outcome(result), Now());
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
