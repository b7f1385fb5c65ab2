#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/presence.h"

namespace {

enum Event { kFollow, kUserOff, kFailedOn, kLock, kUnlock, kSuspend, kResume, kIdle, kBack, kDone,
             kTransient, kPermanent, kSettings, kRetryNow, kAsk };

struct Step {
    uint32_t at;  // ms on the fake clock
    Event event;
    PresenceAction expect = kPresenceWait;  // for kAsk: what PresenceNext answers
    uint32_t wait = 0;                      // for kAsk: its *waitMs
};

struct Scenario {
    const char *name;
    uint32_t start;  // the clock's start: near the wrap in some
    std::vector<Step> steps;
};

void Apply(Presence *p, const Step &s, uint32_t now)
{
    switch (s.event) {
    case kFollow:    PresenceUserPosted(p, true, true, now); break;
    case kUserOff:   PresenceUserPosted(p, false, true, now); break;
    case kFailedOn:  PresenceUserPosted(p, true, false, now); break;
    case kLock:      PresenceSetReason(p, kAwayLocked, true, now); break;
    case kUnlock:    PresenceSetReason(p, kAwayLocked, false, now); break;
    case kSuspend:   PresenceSetReason(p, kAwayAsleep, true, now); break;
    case kResume:    PresenceResumed(p, now); break;
    case kIdle:      PresenceSetReason(p, kAwayIdle, true, now); break;
    case kBack:      PresenceSetReason(p, kAwayIdle, false, now); break;
    case kDone:      PresencePosted(p, kPostDone, now); break;
    case kTransient: PresencePosted(p, kPostTransient, now); break;
    case kPermanent: PresencePosted(p, kPostPermanent, now); break;
    case kSettings:  PresenceSettingsChanged(p); break;
    case kRetryNow:  PresenceRetryNow(p, now); break;
    case kAsk:       break;
    }
}

const PresenceAction W = kPresenceWait, On = kPresencePostOn, Off = kPresencePostOff,
                     Box = kPresenceShowFailure;

const Scenario kScenarios[] = {
    {"NothingWithoutFollowing", 0, {{0, kLock}, {10, kAsk, W, 0}, {9000, kUnlock}, {20000, kAsk, W, 0}}},
    {"LockPostsOffAtOnceUnlockOnAfterTheSettle", 0,
     {{0, kFollow}, {100, kAsk, W, 0}, {1000, kLock}, {1000, kAsk, Off, 0}, {1500, kDone},
      {3000, kUnlock}, {3000, kAsk, W, 5000}, {7999, kAsk, W, 1}, {8000, kAsk, On, 0},
      {8100, kDone}, {9000, kAsk, W, 0}}},
    {"AFlapPostsNothing", 0,
     {{0, kFollow}, {1000, kLock}, {1000, kUnlock}, {1000, kAsk, W, 0}}},
    {"AFlapWhileOffRunsPostsOnlyTheLatest", 0,
     {{0, kFollow}, {1000, kLock}, {1000, kAsk, Off, 0}, {1200, kUnlock}, {1300, kLock},
      {1400, kUnlock}, {1500, kAsk, W, 0}, {1600, kDone}, {1600, kAsk, W, 4800},
      {6400, kAsk, On, 0}}},
    {"AManualOffStopsFollowing", 0, {{0, kFollow}, {10, kUserOff}, {20, kLock}, {30, kAsk, W, 0}}},
    {"AFailedOnOfTheUsersStopsFollowing", 0,
     {{0, kFollow}, {10, kFailedOn}, {20, kLock}, {30, kAsk, W, 0}, {40, kUnlock}, {9000, kAsk, W, 0}}},
    {"TransientFailuresBackOffWhileTheStateHolds", 0,
     {{0, kFollow}, {10, kLock}, {10, kAsk, Off, 0}, {20, kTransient}, {20, kAsk, W, 5000},
      {5020, kAsk, Off, 0}, {5030, kTransient}, {5030, kAsk, W, 15000}, {20030, kAsk, Off, 0},
      {20040, kTransient}, {20040, kAsk, W, 30000}, {50040, kAsk, Off, 0}, {50050, kDone},
      {50050, kAsk, W, 0}}},
    {"AChangeOfStateEndsTheBackOff", 0,
     {{0, kFollow}, {10, kLock}, {10, kAsk, Off, 0}, {20, kTransient}, {30, kUnlock},
      {30, kAsk, W, 5000}, {5030, kAsk, On, 0}}},
    {"PermanentStopsUntilASettingChangesAndShowsOnceBack", 0,
     {{0, kFollow}, {10, kLock}, {10, kAsk, Off, 0}, {20, kPermanent}, {30, kAsk, W, 0},
      {40, kUnlock}, {40, kAsk, Box, 0}, {50, kAsk, W, 0}, {60000, kAsk, W, 0},
      {60010, kSettings}, {60010, kAsk, On, 0}}},
    {"RetryNowCutsTheWaitAndLiftsAStop", 0,
     {{0, kFollow}, {10, kLock}, {10, kAsk, Off, 0}, {20, kTransient}, {30, kAsk, W, 4990},
      {40, kRetryNow}, {40, kAsk, Off, 0}, {50, kPermanent}, {60, kAsk, W, 0}, {70, kRetryNow},
      {70, kAsk, Off, 0}}},
    {"NoRetriesWhileAsleepAndResumeSettlesFirst", 0,
     {{0, kFollow}, {10, kSuspend}, {10, kAsk, Off, 0}, {20, kTransient}, {900000, kAsk, W, 0},
      {900010, kResume}, {900010, kAsk, W, 5000}, {905010, kAsk, On, 0}}},
    {"ResumeMakesTheServerStateUnknown", 0,
     {{0, kFollow}, {10, kSuspend}, {10, kAsk, Off, 0}, {20, kDone}, {100, kResume},
      {5100, kAsk, On, 0}}},
    {"IdleIsAwayTooAndLockOverIdleKeepsOff", 0,
     {{0, kFollow}, {10, kIdle}, {10, kAsk, Off, 0}, {20, kDone}, {30, kLock}, {40, kBack},
      {50, kAsk, W, 0}, {60, kUnlock}, {5059, kAsk, W, 1}, {5060, kAsk, On, 0}}},
    {"TheSettleAndTheBackOffAcrossTheWrap", 0xFFFFF000u,
     {{0, kFollow}, {10, kLock}, {10, kAsk, Off, 0}, {20, kTransient}, {5019, kAsk, W, 1},
      {5020, kAsk, Off, 0}, {5030, kDone}, {5040, kUnlock}, {10039, kAsk, W, 1},
      {10040, kAsk, On, 0}}},
};

class PresenceScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(PresenceScenario, AnswersEachStep)
{
    const Scenario &c = GetParam();
    Presence p = {};
    for (const Step &s : c.steps) {
        uint32_t now = c.start + s.at;
        Apply(&p, s, now);
        if (s.event != kAsk)
            continue;
        uint32_t wait = 12345;
        EXPECT_EQ(s.expect, PresenceNext(&p, now, &wait)) << "at " << s.at;
        EXPECT_EQ(s.wait, wait) << "at " << s.at;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PresenceScenario, ::testing::ValuesIn(kScenarios),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PresenceIdle, CountsFromTheLaterOfInputAndRestartAcrossTheWrap)
{
    Presence p = {};
    PresenceUserPosted(&p, true, true, 1000000);
    // No input yet (0): counted from following's start.
    EXPECT_FALSE(PresenceIdle(&p, 0, 1000000 + 59999, 60000));
    EXPECT_TRUE(PresenceIdle(&p, 0, 1000000 + 60000, 60000));
    // Input after a start just before the wrap.
    PresenceUserPosted(&p, true, true, 0xFFFFFF00u);
    EXPECT_FALSE(PresenceIdle(&p, 0xFFFFFF00u, 0xFFFFFF00u + 59999, 60000));
    EXPECT_FALSE(PresenceIdle(&p, 100, 100 + 59999, 60000));
    EXPECT_TRUE(PresenceIdle(&p, 100, 100 + 60000, 60000));
    EXPECT_FALSE(PresenceIdle(&p, 0, 0xFFFFFF00u + 3600000, 0));
    // An unlock restarts the clock; the sleep's ticks count for nothing after a resume.
    PresenceSetReason(&p, kAwayLocked, true, 200000);
    PresenceSetReason(&p, kAwayLocked, false, 300000);
    EXPECT_FALSE(PresenceIdle(&p, 100, 300000 + 59999, 60000));
    PresenceResumed(&p, 900000);
    EXPECT_FALSE(PresenceIdle(&p, 100, 900000 + 59999, 60000));
}

TEST(ClassifyFailure, TransientOnesAreRetriedPermanentOnesStop)
{
    EXPECT_EQ(kPostTransient, ClassifyFailure(10051, nullptr));
    EXPECT_EQ(kPostTransient, ClassifyFailure(10004, nullptr));
    EXPECT_EQ(kPostTransient, ClassifyFailure(0, ""));
    for (const char *reply : {"421 Bye", "425 x", "426 x", "450 x", "451 x", "452 x"})
        EXPECT_EQ(kPostTransient, ClassifyFailure(0, reply)) << reply;
    for (const char *reply : {"530 Login incorrect.", "550 x", "553 x", "534 x", "220 odd", "x"})
        EXPECT_EQ(kPostPermanent, ClassifyFailure(0, reply)) << reply;
    EXPECT_EQ(kPostPermanent, ClassifyFailure(0, nullptr));
    EXPECT_EQ(300000u, PresenceRetryDelay(7));
}

}  // namespace
