// Misbehaving finger and web servers: each case is an answer and the way the server ends it,
// played for both kinds of query. The pane, the title, the box and the request line are
// checked, and every case ends idle.
#include "app.h"
#include "matrix_peer.h"
#include "peer.h"

#include <string>
#include <tuple>
#include <vector>

#include "app/appstate.h"
#include "net/watchdog.h"
#include "query/finger.h"
#include "query/web.h"

namespace {

enum Ending {
    kCloses,       // the whole answer, then the server closes
    kSplitCloses,  // one byte per segment, then the server closes
    kResets,       // the answer, then a reset
    kStaysOpen,    // the answer, then silence until the client goes
};

struct AnswerCase {
    std::string name;
    std::string answer;
    Ending ending;
    std::string box;  // the Winsock box's text, or empty when the answer is shown
};

void PrintTo(const AnswerCase &c, std::ostream *os)
{
    *os << c.name;
}

const size_t kShown = 16384;  // bytes of an answer that are read

// Letters and digits with no line end or zero byte, so the pane shows them unchanged.
std::string Filler(size_t size)
{
    std::string text(size, ' ');
    for (size_t i = 0; i < size; i++)
        text[i] = "abcdefghijklmnopqrstuvwxyz0123456789"[i % 36];
    return text;
}

// What the pane shows for an answer: its first 16,384 bytes up to any zero byte, every LF
// without a CR before it turned into CR LF.
std::string Shown(const std::string &answer)
{
    std::string read = answer.substr(0, kShown);
    std::string shown;
    for (size_t i = 0; i < read.size() && read[i] != '\0'; i++) {
        if (read[i] == '\n' && (i == 0 || read[i - 1] != '\r'))
            shown += '\r';
        shown += read[i];
    }
    return shown;
}


std::vector<AnswerCase> Cases()
{
    return {
        {"Empty", "", kCloses, ""},
        {"OneByte", "x", kCloses, ""},
        {"OneLineFeed", "\n", kCloses, ""},
        {"Bytes16383", Filler(16383), kCloses, ""},
        {"Bytes16384", Filler(16384), kCloses, ""},
        {"Bytes16385", Filler(16385), kCloses, ""},
        {"OneMebibyte", Filler(1 << 20), kCloses, ""},
        {"LineFeeds16384", std::string(16384, '\n'), kCloses, ""},
        {"LineFeeds16385", std::string(16385, '\n'), kCloses, ""},
        {"CarriageReturnsAndLineFeeds", "a\rb\r\nc\n\r\n\n\rd", kCloses, ""},
        {"ZeroByteInside", std::string("before\0after\n", 13), kCloses, ""},
        {"ZeroBytesOnly", std::string(100, '\0'), kCloses, ""},
        {"ControlAndHighBytes", "\x01\x1b[2J\x7f\xe9\xff\n", kCloses, ""},
        {"OneBytePerSegment", "split\nanswer\r\n", kSplitCloses, ""},
        {"NeverCloses", "partial", kStaysOpen, kInterrupted},
        {"NeverAnswers", "", kStaysOpen, kInterrupted},
    };
}

struct Kind {
    const char *name;
    unsigned short port;
    const char *query;    // %s: the peer's address
    const char *line;     // the request line it must send
    const char *title;    // %s: the peer's address
    int (*run)(char *query);
    const char *waitHint;  // under the box of a wait the watchdog cut short
};

const Kind kKinds[] = {
    {"Finger", kFingerPort, "someone@%s", "someone", "Ovra - [someone@%s]", RunFingerQuery, ""},
    {"Web", kHttpPort, "%s/dir/page.txt", "GET /dir/page.txt", "Ovra - [http://%s/dir/page.txt]", RunWebQuery,
     "\r\n\r\nTurning on Web queries as HTTP/1.0 in Settings > Connection may help: some servers wait for more."},
};

std::string Fill(const char *format, const std::string &address)
{
    char text[256];
    snprintf(text, sizeof text, format, address.c_str());
    return text;
}

// Returns whether the client was seen to close (true when the server closed first).
bool Answer(ScriptedPeer &peer, const AnswerCase &c)
{
    PeerConnection connection = peer.Accept();
    std::string request;
    if (!connection.ReadLine(&request))
        return true;
    switch (c.ending) {
    case kCloses: connection.Send(c.answer); connection.Close(); return true;
    case kSplitCloses: connection.SendSplit(c.answer); connection.Close(); return true;
    case kResets: connection.Send(c.answer); connection.Reset(); return true;
    case kStaysOpen: connection.Send(c.answer); return ClientWentAway(connection);
    }
    return false;
}

// Each case listens on its own address of 127.0.0.240-249, taken in turn.
std::string NextAddress()
{
    static int next = 0;
    return "127.0.0." + std::to_string(240 + next++ % 10);
}

class QueryMatrixTest : public OvraTest,
                        public ::testing::WithParamInterface<std::tuple<int, AnswerCase>> {};

TEST_P(QueryMatrixTest, ShowsTheAnswerOrTheFailureAndEndsIdle)
{
    const Kind &kind = kKinds[std::get<0>(GetParam())];
    const AnswerCase &c = std::get<1>(GetParam());
    std::string host = NextAddress();
    ScriptedPeer peer(host.c_str(), kind.port);
    ASSERT_TRUE(peer.listening());
    bool sawClose = false;
    peer.Start([&](ScriptedPeer &p) { sawClose = Answer(p, c); });
    ASSERT_EQ(0, StartApp());
    SetWindowTextA(g_hOutputPane, "old answer\r\n");
    std::string title = MainTitle();
    if (c.ending == kStaysOpen)
        SetWatchdogPeriod(kShortWatchdog);
    std::string query = Fill(kind.query, host);
    int result = kind.run(&query[0]);
    SetWatchdogPeriod(kWatchdogPeriod);
    ASSERT_TRUE(peer.Join());

    std::vector<std::string> expectedLines = {kind.line};
    EXPECT_EQ(expectedLines, peer.Transcript());
    std::vector<SeenBox> seen = boxes.Take();
    if (c.box.empty()) {
        EXPECT_EQ(0, result);
        EXPECT_TRUE(seen.empty()) << seen[0].caption << ": " << seen[0].text;
        EXPECT_EQ(Shown(c.answer), PaneText());
        EXPECT_EQ(Fill(kind.title, host), MainTitle());
    } else {
        EXPECT_NE(0, result);
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ("Ovra Winsock Error", seen[0].caption);
        EXPECT_EQ(c.box + (c.ending == kStaysOpen ? kind.waitHint : ""), seen[0].text);
        EXPECT_EQ("old answer\r\n", PaneText());
        EXPECT_EQ(title, MainTitle());
    }
    EXPECT_TRUE(sawClose) << "the peer did not see the connection closed";
    ExpectIdle();
}

// Wine 8 loses a reset that follows the answer (recv returns 0 and FD_CLOSE carries no
// error), so the partial answer is shown as if complete. On Windows recv fails with 10054.
// Disabled until the socket layer can see such a reset under Wine.
std::vector<AnswerCase> ResetCases()
{
    return {{"ResetMidAnswer", "partial an", kResets, kResetByPeer}};
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, AnswerCase>> &info)
{
    return std::string(kKinds[std::get<0>(info.param)].name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Servers, QueryMatrixTest,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::ValuesIn(Cases())), CaseName);
INSTANTIATE_TEST_SUITE_P(DISABLED_Resets, QueryMatrixTest,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::ValuesIn(ResetCases())), CaseName);

}  // namespace
