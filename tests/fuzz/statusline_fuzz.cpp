// The status line: whatever the names, zone and clock fields, a short buffer gets the
// start of the whole line and nothing past its end, and the whole line has the stored form.
#include <fuzzer/FuzzedDataProvider.h>

#include <ctype.h>
#include <limits.h>

#include <string>

#include "post/statusline.h"
#include "tests/fuzz/fuzzcheck.h"

static bool StartsWith(const std::string &text, const std::string &start)
{
    return text.compare(0, start.size(), start) == 0;
}

static bool OneOf(const std::string &name, const char *const *names, int count)
{
    for (int i = 0; i < count; i++) {
        if (name == names[i])
            return true;
    }
    return name == "???";
}

// A number printed at least width places wide: zero-padded fields never hold a blank, the
// year is padded with blanks. Returns where it ends.
static size_t Number(const std::string &line, size_t at, size_t width, long long expected)
{
    size_t start = at;
    while (line[at] == ' ')
        at++;
    size_t sign = at;
    if (line[at] == '-')
        at++;
    size_t digits = at;
    while (isdigit((unsigned char)line[at]))
        at++;
    FUZZ_CHECK(at > digits);
    FUZZ_CHECK(at - start >= width);
    FUZZ_CHECK(sign == start || at - start == width);  // padding only up to the width
    FUZZ_CHECK(std::stoll(line.substr(sign, at - sign)) == expected);
    return at;
}

static size_t Separator(const std::string &line, size_t at, char separator)
{
    FUZZ_CHECK(line[at] == separator);
    return at + 1;
}

// "Www Mmm DD hh:mm:ss YYYY " with English names; returns the length it took.
static size_t CheckTime(const std::string &line, size_t at, const struct tm &when)
{
    static const char *const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    FUZZ_CHECK(OneOf(line.substr(at, 3), days, 7) && line[at + 3] == ' ');
    FUZZ_CHECK(OneOf(line.substr(at + 4, 3), months, 12) && line[at + 7] == ' ');
    size_t end = Separator(line, Number(line, at + 8, 2, when.tm_mday), ' ');
    end = Separator(line, Number(line, end, 2, when.tm_hour), ':');
    end = Separator(line, Number(line, end, 2, when.tm_min), ':');
    end = Separator(line, Number(line, end, 2, when.tm_sec), ' ');
    end = Separator(line, Number(line, end, 4, when.tm_year + 1900LL), ' ');
    return end - at;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    bool on = input.ConsumeBool();
    bool named = input.ConsumeBool();
    // Settings and names are held in 128-character buffers.
    std::string host = CText(input.ConsumeRandomLengthString(127));
    std::string address = CText(input.ConsumeRandomLengthString(15));
    std::string zone = CText(input.ConsumeRandomLengthString(127));
    struct tm when = {};
    when.tm_wday = input.ConsumeIntegral<int>();
    when.tm_mon = input.ConsumeIntegral<int>();
    when.tm_mday = input.ConsumeIntegral<int>();
    when.tm_hour = input.ConsumeIntegral<int>();
    when.tm_min = input.ConsumeIntegral<int>();
    when.tm_sec = input.ConsumeIntegral<int>();
    // localtime fails rather than give a year beyond INT_MAX.
    when.tm_year = input.ConsumeIntegralInRange<int>(INT_MIN + 1900, INT_MAX - 1900);
    size_t cut = input.ConsumeIntegralInRange<size_t>(1, 600);

    char whole[1024];
    FormatStatusLine(on, named ? host.c_str() : nullptr, address.c_str(), &when, zone.c_str(),
                     whole, sizeof whole);
    std::string line = whole;
    std::string start = !on ? "OVRA OFF " : named ? "OVRA ON " + host + " " + address + " "
                                                  : "OVRA ON " + address + " ";
    FUZZ_CHECK(StartsWith(line, start));
    size_t timeLength = CheckTime(line, start.size(), when);
    FUZZ_CHECK(line.substr(start.size() + timeLength) == zone + "\r\n");

    std::unique_ptr<char[]> out(new char[cut]);
    FormatStatusLine(on, named ? host.c_str() : nullptr, address.c_str(), &when, zone.c_str(),
                     out.get(), cut);
    FUZZ_CHECK(line.substr(0, cut - 1) == out.get());
    return 0;
}
