// The watchdog at its real length: a server that accepts and then says nothing.
#include <atomic>

#include "app.h"
#include "exchange.h"
#include "peer.h"

namespace {

using WatchdogRealTest = OvraTest;

TEST_F(WatchdogRealTest, SilentServerIsCutOffAfter65535Milliseconds)
{
    ASSERT_EQ(0, StartApp());
    std::atomic<bool> closed{false};
    ScriptedPeer peer("127.0.0.90", kFtpPort);
    peer.Start([&](ScriptedPeer &p) {
        PeerConnection c = p.Accept();
        // Each wait gives up after 30 s of silence; keep waiting past the watchdog.
        for (int i = 0; i < 4 && !closed; i++)
            closed = c.WaitForClose();
    });
    DWORD start = GetTickCount();
    char reply[kReplySize];
    EXPECT_EQ(-1, ReadOneReply("127.0.0.90", reply));
    DWORD elapsed = GetTickCount() - start;
    // The exchange is bounded from its arming, not per call.
    EXPECT_GE(elapsed + 50, (DWORD)kWatchdogPeriod);  // tick counts are coarse
    auto seen = boxes.Take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
    EXPECT_EQ("[10004] Interrupted system call", seen[0].text);
    ASSERT_TRUE(peer.Join());
    EXPECT_TRUE(closed);
    ExpectIdle();
}

}  // namespace
