#include "app/presence.h"

static const uint32_t kRetrySeconds[] = {5, 15, 30, 60, 120, 300};

uint32_t PresenceRetryDelay(int failures)
{
    int last = (int)(sizeof kRetrySeconds / sizeof kRetrySeconds[0]) - 1;
    int index = failures < 1 ? 0 : failures - 1 > last ? last : failures - 1;
    return kRetrySeconds[index] * 1000;
}

static void Restart(Presence *p, uint32_t now)
{
    p->reasons &= ~(unsigned)kAwayIdle;
    p->activeSince = now;
    p->presentSince = now;
}

void PresenceUserPosted(Presence *p, bool on, bool succeeded, uint32_t now)
{
    p->failures = 0;
    p->stopped = false;
    p->failureToShow = false;
    // A failed posting of the user's leaves the server's state unknown: nothing follows it.
    p->following = on && succeeded;
    p->posted = !succeeded ? kPostedUnknown : on ? kPostedOn : kPostedOff;
    if (p->following)
        Restart(p, now);
}

void PresenceSetReason(Presence *p, unsigned reason, bool holds, uint32_t now)
{
    unsigned before = p->reasons;
    p->reasons = holds ? before | reason : before & ~reason;
    // Unlocking is input of a kind: the idle clock starts again.
    if (!holds && (reason & (kAwayLocked | kAwayDisconnected | kAwayAsleep)) != 0 &&
        (before & reason) != 0)
        Restart(p, now);
    if (before != 0 && p->reasons == 0)
        p->presentSince = now;
}

void PresenceResumed(Presence *p, uint32_t now)
{
    p->reasons &= ~(unsigned)kAwayAsleep;
    p->posted = kPostedUnknown;
    p->failures = 0;
    Restart(p, now);
}

void PresenceSettingsChanged(Presence *p)
{
    p->stopped = false;
    p->failureToShow = false;
    p->failures = 0;
}

void PresenceRetryNow(Presence *p, uint32_t now)
{
    p->stopped = false;
    p->failureToShow = false;
    p->retryAt = now;
}

PresenceAction PresenceNext(Presence *p, uint32_t now, uint32_t *waitMs)
{
    *waitMs = 0;
    if (p->running)
        return kPresenceWait;
    if (p->failureToShow && p->reasons == 0) {
        p->failureToShow = false;
        return kPresenceShowFailure;
    }
    if (!p->following || p->stopped)
        return kPresenceWait;
    PresenceAction wanted = p->reasons != 0 ? kPresencePostOff : kPresencePostOn;
    if (p->posted == (wanted == kPresencePostOn ? kPostedOn : kPostedOff)) {
        p->failures = 0;
        return kPresenceWait;
    }
    if (p->failures > 0 && p->failed != wanted)
        p->failures = 0;
    if (p->failures > 0) {
        if ((p->reasons & kAwayAsleep) != 0)
            return kPresenceWait;
        int32_t left = (int32_t)(p->retryAt - now);
        if (left > 0) {
            *waitMs = (uint32_t)left;
            return kPresenceWait;
        }
    }
    if (wanted == kPresencePostOn) {
        uint32_t settled = now - p->presentSince;
        if (settled < kPresenceSettleMs) {
            *waitMs = kPresenceSettleMs - settled;
            return kPresenceWait;
        }
    }
    p->running = true;
    p->failed = wanted;
    return wanted;
}

void PresencePosted(Presence *p, PostOutcome outcome, uint32_t now)
{
    p->running = false;
    if (outcome == kPostDone) {
        p->posted = p->failed == kPresencePostOn ? kPostedOn : kPostedOff;
        p->failures = 0;
        return;
    }
    p->posted = kPostedUnknown;
    if (outcome == kPostTransient) {
        p->failures++;
        p->retryAt = now + PresenceRetryDelay(p->failures);
    } else if (outcome == kPostPermanent) {
        p->stopped = true;
        p->failureToShow = true;
    }
}

bool PresenceIdle(const Presence *p, uint32_t lastInput, uint32_t now, uint32_t limitMs)
{
    if (limitMs == 0)
        return false;
    uint32_t sinceInput = now - lastInput;
    uint32_t sinceStart = now - p->activeSince;
    return (sinceInput < sinceStart ? sinceInput : sinceStart) >= limitMs;
}

static bool Digit(char c)
{
    return c >= '0' && c <= '9';
}

PostOutcome ClassifyFailure(int socketError, const char *reply)
{
    if (socketError != 0)
        return kPostTransient;  // unreachable, refused, timed out, not found, the watchdog
    if (reply == nullptr)
        return kPostPermanent;  // a certificate to ask about, a line break in a setting
    if (reply[0] == '\0')
        return kPostTransient;  // closed without a reply
    bool coded = Digit(reply[0]) && Digit(reply[1]) && Digit(reply[2]);
    return coded && reply[0] == '4' ? kPostTransient : kPostPermanent;
}
