// Reply framing: the code is the number in the first three characters, completeness agrees
// with a line-based reference, and the PORT line never runs past its buffer. A command line
// is refused for a line break, else it is the text with 0xFF doubled and CR LF, and fits.
#include <fuzzer/FuzzedDataProvider.h>

#include <stdio.h>

#include <string>

#include "net/commandline.h"
#include "net/reply.h"
#include "tests/fuzz/fuzzcheck.h"

static int ReferenceCode(const std::string &text)
{
    std::string first = text.substr(0, 3);
    size_t at = first.find_first_not_of(" \t\n\v\f\r");
    if (at == std::string::npos)
        return 0;
    int sign = 1;
    if (first[at] == '+' || first[at] == '-') {
        sign = first[at] == '-' ? -1 : 1;
        at++;
    }
    int value = 0;
    for (; at < first.size() && isdigit((unsigned char)first[at]); at++)
        value = value * 10 + (first[at] - '0');
    return sign * value;
}

// Whole when the last line is ended and some line, the first or a later one, starts with
// the first line's three characters and a blank.
static bool ReferenceComplete(const std::string &text)
{
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        return false;
    if (text.size() >= 4 && text[3] == ' ')
        return true;
    if (text.size() < 3)
        return false;
    std::string closing = "\r\n" + text.substr(0, 3) + " ";
    return text.find(closing) != std::string::npos;
}

static void CheckPortLine(FuzzedDataProvider *input)
{
    unsigned long address = input->ConsumeIntegral<uint32_t>();
    unsigned short port = input->ConsumeIntegral<uint16_t>();
    size_t size = input->ConsumeIntegralInRange<size_t>(1, 40);
    std::unique_ptr<char[]> out(new char[size]);
    FormatPortLine(address, port, out.get(), size);
    char expected[64];
    snprintf(expected, sizeof expected, "PORT %lu,%lu,%lu,%lu,%u,%u", address >> 24,
             (address >> 16) & 255, (address >> 8) & 255, address & 255, port >> 8u, port & 255u);
    FUZZ_CHECK(std::string(expected).substr(0, size - 1) == out.get());
}

static void CheckCommandLine(FuzzedDataProvider *input)
{
    size_t capacity = input->ConsumeIntegralInRange<size_t>(1, 300);
    std::string command = CText(input->ConsumeRandomLengthString(200));
    std::string expected;
    for (char c : command)
        expected += (unsigned char)c == 0xFF ? std::string(2, c) : std::string(1, c);
    expected += "\r\n";
    capacity = std::max(capacity, command.size() + 1);  // the text itself always fits
    std::unique_ptr<char[]> buffer(new char[capacity]);
    memcpy(buffer.get(), command.c_str(), command.size() + 1);
    long wanted = command.find_first_of("\r\n") != std::string::npos ? kCommandHoldsBreak
                  : expected.size() >= capacity                     ? kCommandTooLong
                                                                    : (long)expected.size();
    FUZZ_CHECK(MakeCommandLine(buffer.get(), capacity) == wanted);
    FUZZ_CHECK((wanted < 0 ? command : expected) == buffer.get());
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    CheckPortLine(&input);
    CheckCommandLine(&input);
    std::string text = CText(input.ConsumeRemainingBytesAsString());
    std::unique_ptr<char[]> block = HeapText(text);
    int code = ReplyCode(block.get());
    FUZZ_CHECK(code == ReferenceCode(text));
    FUZZ_CHECK(code >= -99 && code <= 999);
    FUZZ_CHECK(ReplyComplete(block.get(), text.size()) == ReferenceComplete(text));
    return 0;
}
