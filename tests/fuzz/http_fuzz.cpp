// HTTP/1.0 answers and 227 replies from any server: what the pane keeps is never longer
// than the answer and always ends with its body; an answer without a status line stays
// whole; a parsed 227 address and port read back the same from a reply of their own.
#include <fuzzer/FuzzedDataProvider.h>

#include <stdio.h>

#include <string>

#include "net/pasv.h"
#include "query/http.h"
#include "tests/fuzz/fuzzcheck.h"

static void CheckAnswer(const std::string &answer)
{
    std::unique_ptr<char[]> block = HeapText(answer);
    size_t kept = HttpAnswerForPane(block.get(), answer.size());
    FUZZ_CHECK(kept <= answer.size());
    if (answer.compare(0, 5, "HTTP/") != 0 || kept == answer.size())
        FUZZ_CHECK(std::string(block.get(), kept) == answer);
    size_t blank = answer.find("\n\r\n") != std::string::npos ? answer.find("\n\r\n") + 3 : answer.size();
    size_t lf = answer.find("\n\n");
    if (lf != std::string::npos && lf + 2 < blank)
        blank = lf + 2;
    std::string body = answer.substr(blank);
    FUZZ_CHECK(kept >= body.size() && std::string(block.get() + kept - body.size(), body.size()) == body);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes(reinterpret_cast<const char *>(data), size);
    CheckAnswer(bytes);
    CheckPassive(CText(bytes));
    return 0;
}
