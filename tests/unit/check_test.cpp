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
        {"", kSeenNotShown},
        {"Ovra Test\r\n\r\n", kSeenNotShown},  // efingerd as Debian installs it: the full name only
    };
    for (const Seen &c : cases) {
        std::string answer = c.answer;  // no terminator after the bytes
        EXPECT_EQ(c.verdict, JudgeFingerAnswer(answer.data(), answer.size(), kPosted)) << c.answer;
    }
}

struct Page {
    const char *answer;
    WebVerdict verdict;
};

// Answers of nginx and lighttpd to an HTTP/1.0 request for the posted page.
TEST(JudgeWebAnswer, NamesWhatTheWebServerShowed)
{
    const Page cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 53\r\n\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\n",
         kWebAsPosted},
        {"HTTP/1.0 200 OK\n\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST", kWebAsPosted},
        {"HTTP/1.1 403 Forbidden\r\n\r\n<html>403</html>", kWebForbidden},
        {"HTTP/1.1 404 Not Found\r\nServer: nginx\r\n\r\n", kWebNotFound},
        {"HTTP/1.1 500 Internal Server Error\r\n\r\n", kWebStatus},
        {"OVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\n", kWebStatus},
        {"HTTP/1.1 200 OK\r\n\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\nmore\r\n", kWebOther},
        {"HTTP/1.1 200 OK\r\n\r\n", kWebOther},
        {"HTTP/1.1 200 OK\r\nOVRA ON host 192.0.2.7 Wed Dec 09 13:30:00 2026 EST\r\n", kWebOther},
    };
    for (const Page &c : cases) {
        std::string answer = c.answer;
        EXPECT_EQ(c.verdict, JudgeWebAnswer(&answer[0], answer.size(), kPosted)) << c.answer;
    }
}

}  // namespace
