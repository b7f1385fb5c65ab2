#include <gtest/gtest.h>

#include <string>

#include "post/check.h"

namespace {

const char kPosted[] = "OVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\n";

struct Seen {
    const char *answer;
    SeenVerdict verdict;
};

// Answers as in.fingerd sends them (CR LF) and as finger programs lay them out.
TEST(JudgeFingerAnswer, NamesWhatTheDaemonShowed)
{
    const Seen cases[] = {
        {"Login: ovra\r\nNo mail.\r\nProject:\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\nNo Plan.\r\n",
         kSeenAsPosted},
        {"Project: OVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\n", kSeenAsPosted},
        {"Login: ovra\r\nNo mail.\r\nNo Plan.\r\n", kSeenNoProject},
        {"Project:\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST^M\r\n", kSeenCarriageReturn},
        {"Project:\r\n\r\nNo Plan.\r\n", kSeenEmpty},
        {"Project:", kSeenEmpty},
        {"Project:\r\nOVRA OFF Wed Dec 09 13:30:00 2026 EST\r\n", kSeenOther},
        {"Project:\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 ES", kSeenOther},
        {"Plan:\r\nProject: is a word here\r\n", kSeenOther},
        {"", kSeenNoProject},
    };
    for (const Seen &c : cases) {
        std::string answer = c.answer;  // no terminator after the bytes
        EXPECT_EQ(c.verdict, JudgeFingerAnswer(answer.data(), answer.size(), kPosted)) << c.answer;
    }
}

}  // namespace
