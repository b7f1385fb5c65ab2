// The platform-free parts of Settings > Connection: passive-mode replies and the NAT rule,
// the hint under a refusal, and HTTP/1.0 requests and answers.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "net/hint.h"
#include "net/hostport.h"
#include "net/pasv.h"
#include "query/http.h"

namespace {

unsigned long Ip(unsigned a, unsigned b, unsigned c, unsigned d)
{
    return (unsigned long)a << 24 | b << 16 | c << 8 | d;
}

TEST(PassiveReplyTest, FindsTheFirstRunOfSixBytesWhereverItStands)
{
    struct Row {
        const char *reply;
        unsigned long address;  // 0: no address
        unsigned short port;
    } rows[] = {
        {"227 Entering Passive Mode (127,0,0,2,195,80).\r\n", Ip(127, 0, 0, 2), 50000},
        {"227 Mode 256,1,1,1,1,1 =192,168,1,9,255,255\r\n", Ip(192, 168, 1, 9), 65535},
        {"227-Passive\r\n227 ok 1,2,3,4,5,6\r\n", Ip(1, 2, 3, 4), 1286},
        {"2271,2,3,4,5,6,7,8\r\n", Ip(2, 3, 4, 5), 1543},  // the code's digits are no part
        {"227 Entering Passive Mode\r\n", 0, 0}, {"227 (1,2,3,4,5)\r\n", 0, 0},
        {"227 (1,2,3,4,5,256)\r\n", 0, 0}, {"227 (1, 2, 3, 4, 5, 6)\r\n", 0, 0}, {"22", 0, 0},
    };
    for (const Row &r : rows) {
        unsigned long address = 0;
        unsigned short port = 0;
        EXPECT_EQ(r.address != 0, ParsePassiveReply(r.reply, &address, &port)) << r.reply;
        EXPECT_EQ(r.address, address) << r.reply;
        EXPECT_EQ(r.port, port) << r.reply;
    }
}

TEST(PassiveReplyTest, ExtendedReplyGivesOnlyThePort)
{
    const struct {
        const char *reply;
        unsigned short port;  // 0: refused
    } rows[] = {
        {"229 Entering Extended Passive Mode (|||50000|)\r\n", 50000},
        {"229 ok (!!!1!)", 1}, {"229 (|||65536|)", 0}, {"229 (|||0|)", 0}, {"229 (||1|)", 0},
        {"229 (|||12)", 0}, {"229 (111123)", 0}, {"229 (", 0}, {"229 |||80|", 0},
    };
    for (const auto &r : rows) {
        unsigned short port = 0;
        EXPECT_EQ(r.port != 0, ParseExtendedPassiveReply(r.reply, &port)) << r.reply;
        EXPECT_EQ(r.port, port) << r.reply;
    }
}

TEST(HostPortTest, SplitsAPortOffNamesAndBracketedAddresses)
{
    const struct {
        const char *text;
        bool valid;
        const char *host;
        unsigned short port;
    } rows[] = {
        {"ftp.example.org", true, "ftp.example.org", 0},
        {"ftp.example.org:2121", true, "ftp.example.org", 2121},
        {"[::1]:990", true, "::1", 990}, {"[2001:db8::7]", true, "2001:db8::7", 0},
        {"2001:db8::7", true, "2001:db8::7", 0}, {"host:0", false, "host:0", 0},
        {"host:65536", false, "host:65536", 0}, {"host:", false, "host:", 0},
        {"host:21x", false, "host:21x", 0}, {"[::1", false, "[::1", 0},
        {"[::1]x", false, "[::1]x", 0}, {":21", false, ":21", 0}, {"", false, "", 0},
    };
    for (const auto &r : rows) {
        char host[32] = "x";
        unsigned short port = 7;
        EXPECT_EQ(r.valid, SplitHostPort(r.text, host, sizeof host, &port)) << r.text;
        EXPECT_STREQ(r.host, host) << r.text;
        EXPECT_EQ(r.port, port) << r.text;
    }
    char small[4];
    unsigned short port;
    EXPECT_FALSE(SplitHostPort("long.host:21", small, sizeof small, &port));
    EXPECT_STREQ("", small);
}

TEST(SettingHintTest, NamesTheSettingThatWouldHaveHelped)
{
    struct Row {
        const char *command, *reply;
        bool secured;
        SettingHint hint;
    } rows[] = {
        {"PORT 127,0,0,1,4,1\r\n", "500 Illegal PORT command.\r\n", false, kHintPassiveMode},
        {"port 1,2,3,4,5,6", "501 Syntax error\r\n", true, kHintPassiveMode},
        {"PORT", "421 Timeout\r\n", false, kNoHint},
        {"STOR .project\r\n", "425 Can't open data connection.\r\n", false, kHintPassiveMode},
        {"STORE x", "425 no\r\n", false, kNoHint},
        {"", "500 Illegal PORT command.\r\n", false, kNoHint},
        {"USER ovra", "530 Non-anonymous sessions must use encryption.\r\n", false, kHintSecureFtp},
        {"USER ovra", "550 SSL/TLS required on the control channel\r\n", false, kHintSecureFtp},
        {"", "421-Sorry, cleartext sessions are not accepted.\r\n421 Please reconnect using TLS.\r\n",
         false, kHintSecureFtp},
        {"USER ovra", "550 SSL/TLS required on the control channel\r\n", true, kNoHint},
        {"PASS x", "530 Login incorrect.\r\n", false, kNoHint},
        {"USER ovra", "530 Bottles and tlsx are no words for it\r\n", false, kNoHint},
        {"USER ovra", "500 TLS required\r\n", false, kNoHint},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.hint, HintForReply(r.command, r.reply, r.secured)) << r.command << " / " << r.reply;
}

TEST(HttpRequestTest, HostCarriesThePortUnlessItIs80)
{
    char out[kHttpRequestSize];
    FormatHttpRequest("www.example.org", "a/b c.txt", 80, "Ovra/1.1b2", out, sizeof out);
    EXPECT_STREQ("GET /a/b c.txt HTTP/1.0\r\nHost: www.example.org\r\nUser-Agent: Ovra/1.1b2\r\n\r\n", out);
    std::string longest(127, 'x');
    FormatHttpRequest(longest.c_str(), "", 65535, "Ovra/1.1b2", out, sizeof out);
    EXPECT_EQ("GET / HTTP/1.0\r\nHost: " + longest + ":65535\r\nUser-Agent: Ovra/1.1b2\r\n\r\n", out);
}

std::string Shown(std::string answer)
{
    answer.resize(HttpAnswerForPane(&answer[0], answer.size()));
    return answer;
}

TEST(HttpAnswerTest, BodyForSuccessStatusForTheRest)
{
    EXPECT_EQ("body\n", Shown("HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nbody\n"));
    EXPECT_EQ("body\n", Shown("HTTP/1.1 204 X\nServer: y\n\nbody\n"));
    EXPECT_EQ("", Shown("HTTP/1.0 200 OK\r\n\r\n"));
    EXPECT_EQ("HTTP/1.0 404 Not Found\r\n\r\n<h1>404</h1>\n",
              Shown("HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\nContent-Length: 13\r\n\r\n<h1>404</h1>\n"));
    EXPECT_EQ("HTTP/1.0 301 Moved\r\nlocation: http://x/dir/\r\n\r\nmoved\n",
              Shown("HTTP/1.0 301 Moved\r\nServer: y\r\nlocation: http://x/dir/\r\nDate: z\r\n\r\nmoved\n"));
    // Only a redirect shows where it points.
    EXPECT_EQ("HTTP/1.0 500 Oops\r\n\r\n", Shown("HTTP/1.0 500 Oops\r\nLocation: /x\r\n\r\n"));
    // A body that looks like headers stays as it is.
    EXPECT_EQ("a: b\r\n\r\nc", Shown("HTTP/1.0 200 OK\r\n\r\na: b\r\n\r\nc"));
}

TEST(HttpAnswerTest, AnswersWithoutStatusLineOrHeaderEndStayWhole)
{
    for (const char *answer : {"OVRA ON host\n", "", "HTTP/1.0 200 OK\r\nServer: cut off",
                               "HTTP/1.0 2x0 OK\r\n\r\nbody", "HTTP/1.0\r\n\r\nbody", "http/1.0 200 OK\r\n\r\nb"})
        EXPECT_EQ(answer, Shown(answer));
}

TEST(HttpRedirectTest, OnlyTheFiveRedirectCodesWithAUsableLocationAreFollowed)
{
    struct Row {
        const char *answer, *location;  // null: not followed
    } rows[] = {
        {"HTTP/1.1 301 Moved\r\nServer: x\r\nLocation: https://h/p\r\n\r\nbody", "https://h/p"},
        {"HTTP/1.0 308 P\nlocation:\t/a?b \n\n", "/a?b"},
        {"HTTP/1.0 302 F\r\nLocation: x\r\nLocation: y\r\n\r\n", "x"},
        {"HTTP/1.0 300 Choices\r\nLocation: /x\r\n\r\n", nullptr},
        {"HTTP/1.0 303 S\r\n\r\nLocation: /x\r\n", nullptr},  // in the body
        {"HTTP/1.0 307 T\r\nLocation: \r\n\r\n", nullptr},
        {"HTTP/1.0 307 T\r\nLocation: /a b\r\n\r\n", nullptr},
        {"HTTP/1.0 307 T\r\nLocation: /a\rGET /b\r\n\r\n", nullptr},
    };
    for (const Row &r : rows) {
        char location[16] = "unset";
        bool followed = HttpRedirectTarget(r.answer, strlen(r.answer), location, sizeof location);
        EXPECT_STREQ(r.location != nullptr ? r.location : "-", followed ? location : "-") << r.answer;
    }
    const char tooLong[] = "HTTP/1.0 301 M\r\nLocation: /0123456789abcdef\r\n\r\n";
    char location[16];
    EXPECT_FALSE(HttpRedirectTarget(tooLong, sizeof tooLong - 1, location, sizeof location));
}

TEST(HttpRedirectTest, LocationsResolveAgainstTheAddressAsked)
{
    struct Row {
        const char *base, *location, *resolved;  // null: not followed
    } rows[] = {
        {"http://a/b/c", "https://d:8443/e", "https://d:8443/e"},
        {"https://a/b/c", "//d/e", "https://d/e"},
        {"http://a:81/b/c?q", "/d?e#f", "http://a:81/d?e"},
        {"http://a/b/c?q", "?r", "http://a/b/c?r"},
        {"http://a/b/c", "d", "http://a/b/d"},
        {"http://a", "d", "http://a/d"},
        {"http://a/b/c/d", "../../e", "http://a/e"},
        {"http://a/b/c", "./../../../e/./f/..", "http://a/e/"},
        {"http://a/b", "/x/%2e%2E/y?../z", "http://a/x/%2e%2E/y?../z"},
        {"http://a/b?q", "#frag", "http://a/b?q"},
        {"http://a/b", "ftp://d/e", nullptr},
        {"http://a/b", "https:e", nullptr},
    };
    for (const Row &r : rows) {
        char out[64] = "";
        bool resolved = ResolveLocation(r.base, r.location, out, sizeof out);
        EXPECT_STREQ(r.resolved != nullptr ? r.resolved : "-", resolved ? out : "-")
            << r.base << " + " << r.location;
    }
    char small[12];
    EXPECT_FALSE(ResolveLocation("http://a/b", "/0123456789", small, sizeof small));
}

}  // namespace
