// LF -> CR LF conversion of a query answer, compared with a line-by-line reference; the
// display block is exactly 2n + 1 bytes, the most the conversion may need.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "query/lineends.h"
#include "tests/fuzz/fuzzcheck.h"

// Every line that ends in LF gets a CR before the LF unless it already ends in CR.
static std::string Reference(const std::string &received)
{
    std::string display;
    size_t start = 0;
    for (size_t lf = received.find('\n'); lf != std::string::npos;
         start = lf + 1, lf = received.find('\n', start)) {
        std::string line = received.substr(start, lf - start);
        display += line;
        if (line.empty() || line.back() != '\r')
            display += '\r';
        display += '\n';
    }
    display += received.substr(start);
    display += '\0';
    return display;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string received(reinterpret_cast<const char *>(data), size);
    std::unique_ptr<char[]> block = HeapText(received);
    std::unique_ptr<char[]> display(new char[2 * size + 1]);
    size_t written = ExpandLineFeeds(block.get(), size, display.get());
    FUZZ_CHECK(written <= 2 * size + 1);
    FUZZ_CHECK(std::string(display.get(), written) == Reference(received));
    return 0;
}
