// Whether the user is at the computer, as lock, sleep and idle tell it, and which automatic
// posting that calls for. No Windows header: times are millisecond ticks, which wrap.
#ifndef OVRA_PRESENCE_H
#define OVRA_PRESENCE_H

#include <stdint.h>

// Reasons to be away; Off is wanted while any holds.
enum : unsigned {
    kAwayLocked = 1,
    kAwayDisconnected = 2,
    kAwayAsleep = 4,
    kAwayIdle = 8,
};

enum PresenceAction { kPresenceWait, kPresencePostOn, kPresencePostOff, kPresenceShowFailure };
enum PostOutcome { kPostDone, kPostTransient, kPostPermanent, kPostQuiet };
enum PostedState { kPostedUnknown, kPostedOn, kPostedOff };

// On only after this much continued presence: a lock/unlock flap posts nothing.
enum : uint32_t { kPresenceSettleMs = 5000 };

struct Presence {
    bool following;          // a user's (or Auto Post's) On succeeded, no user's Off since
    unsigned reasons;
    PostedState posted;      // what the server holds, as far as known
    bool running;            // an automatic posting runs
    uint32_t presentSince;   // the last reason went (or following started)
    uint32_t activeSince;    // the idle clock's start: following, unlock, resume
    int failures;            // transient failures in a row of the state below
    PresenceAction failed;
    uint32_t retryAt;
    bool stopped;            // a permanent failure: no automatic posting until the user acts
    bool failureToShow;      // its box waits for the user to be back
};

// The user's own posting (menu, Auto Post, a word) ended: an On that succeeded starts
// following; an Off, or any failure, stops it.
void PresenceUserPosted(Presence *p, bool on, bool succeeded, uint32_t now);
void PresenceSetReason(Presence *p, unsigned reason, bool holds, uint32_t now);
// Back from sleep: the exchange frozen by it has been ended, the server's state is unknown,
// and the back-off starts again.
void PresenceResumed(Presence *p, uint32_t now);
// A setting changed: a permanent failure no longer stops the postings (nor waits to be shown).
void PresenceSettingsChanged(Presence *p);
// The user asked for the retry now (a permanent failure counts as a posting by hand).
void PresenceRetryNow(Presence *p, uint32_t now);
// What to do now. *waitMs: when to ask again at the latest, 0 when only an event can change
// the answer. A posting returned counts as running until PresencePosted.
PresenceAction PresenceNext(Presence *p, uint32_t now, uint32_t *waitMs);
void PresencePosted(Presence *p, PostOutcome outcome, uint32_t now);
// Whether limitMs have passed without input, counted from the later of the last input and
// the idle clock's start. limitMs 0: never.
bool PresenceIdle(const Presence *p, uint32_t lastInput, uint32_t now, uint32_t limitMs);
// The delay before the retry after the given count of failures in a row.
uint32_t PresenceRetryDelay(int failures);
// A failed automatic posting by what ended it: a socket error code (0: none), the server's
// unexpected reply (null: none; empty: it closed without one), else a refusal of our own.
PostOutcome ClassifyFailure(int socketError, const char *reply);

#endif
