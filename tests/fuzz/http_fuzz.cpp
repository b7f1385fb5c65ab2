// HTTP/1.0 answers and 227 replies from any server: what the pane keeps is never longer
// than the answer and always ends with its body; an answer without a status line stays
// whole; a redirect followed goes to a web address that fits a request line and resolves
// to itself again; a parsed 227 address and port read back the same from a reply of their
// own, and so do a 229 port and a login host's port.
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "net/hostport.h"
#include "net/pasv.h"
#include "query/http.h"
#include "tests/fuzz/fuzzcheck.h"

static void CheckAnswer(const std::string &answer)
{
    std::unique_ptr<char[]> block = HeapText(answer);
    size_t kept = HttpAnswerForPane(block.get(), answer.size());
    FUZZ_CHECK(kept <= answer.size());
    if (answer.compare(0, 5, "HTTP/") != 0)
        FUZZ_CHECK(kept == answer.size() && memcmp(block.get(), answer.data(), kept) == 0);
    // Whatever is kept ends with all that follows the first blank line.
    size_t crlf = answer.find("\n\r\n"), lf = answer.find("\n\n");
    size_t body = std::min(crlf == std::string::npos ? answer.size() : crlf + 3,
                           lf == std::string::npos ? answer.size() : lf + 2);
    size_t tail = answer.size() - body;
    FUZZ_CHECK(kept >= tail && memcmp(block.get() + kept - tail, answer.data() + body, tail) == 0);
}

static void CheckRedirect(const std::string &answer)
{
    char location[kUrlSize];
    if (!HttpRedirectTarget(answer.data(), answer.size(), location, sizeof location))
        return;
    FUZZ_CHECK(location[0] != '\0');
    for (const char *p = location; *p != '\0'; p++)
        FUZZ_CHECK((unsigned char)*p > ' ' && *p != 0x7F);
    char url[kUrlSize], again[kUrlSize];
    if (!ResolveLocation("https://h:1/a/b?q", location, url, sizeof url))
        return;
    FUZZ_CHECK(tolower((unsigned char)url[0]) == 'h' && strstr(url, "://") != nullptr);
    FUZZ_CHECK(ResolveLocation("http://x/", url, again, sizeof again) && strcmp(url, again) == 0);
}

static void CheckPassive(const std::string &reply)
{
    unsigned long address;
    unsigned short port;
    if (!ParsePassiveReply(reply.c_str(), &address, &port))
        return;
    char spelt[64];
    snprintf(spelt, sizeof spelt, "227 (%lu,%lu,%lu,%lu,%u,%u)", address >> 24, (address >> 16) & 255,
             (address >> 8) & 255, address & 255, (unsigned)port >> 8, port & 255u);
    unsigned long again;
    unsigned short portAgain;
    FUZZ_CHECK(ParsePassiveReply(spelt, &again, &portAgain) && again == address && portAgain == port);
}

// A 229 port and a login host's port read back the same from text of their own.
static void CheckExtendedAndHostPort(const std::string &text)
{
    unsigned short port;
    char spelt[300];
    if (ParseExtendedPassiveReply(text.c_str(), &port)) {
        snprintf(spelt, sizeof spelt, "229 (|||%u|)", port);
        unsigned short again = 0;
        FUZZ_CHECK(port != 0 && ParseExtendedPassiveReply(spelt, &again) && again == port);
    }
    char host[256], hostAgain[256];
    if (!SplitHostPort(text.c_str(), host, sizeof host, &port) || port == 0)
        return;
    snprintf(spelt, sizeof spelt, "[%s]:%u", host, port);
    unsigned short portAgain;
    FUZZ_CHECK(strchr(host, ']') != nullptr ||
               (SplitHostPort(spelt, hostAgain, sizeof hostAgain, &portAgain) &&
                strcmp(host, hostAgain) == 0 && portAgain == port));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes(reinterpret_cast<const char *>(data), size);
    CheckAnswer(bytes);
    CheckRedirect(bytes);
    CheckPassive(CText(bytes));
    CheckExtendedAndHostPort(CText(bytes));
    return 0;
}
