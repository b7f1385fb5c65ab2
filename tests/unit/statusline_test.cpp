// The status line: field order, fixed names, padding and the line end.
#include <gtest/gtest.h>

#include <locale.h>
#include <string>

#include "post/statusline.h"

namespace {

struct tm Time(int year, int month, int day, int weekday, int hour, int minute, int second)
{
    struct tm t = {};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_wday = weekday;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

std::string Line(bool on, const char *host, const char *address, const struct tm &when,
                 const char *zone)
{
    char out[2048];
    FormatStatusLine(on, host, address, &when, zone, out, sizeof out);
    return out;
}

const struct tm kMonday = Time(2026, 12, 7, 1, 10, 50, 46);

TEST(StatusLine, OnCarriesNameAddressTimeAndZone)
{
    EXPECT_EQ("OVRA ON host.example 192.0.2.7 Mon Dec 07 10:50:46 2026 EST\r\n",
              Line(true, "host.example", "192.0.2.7", kMonday, "EST"));
}

TEST(StatusLine, OnWithoutNameHasTheAddressRightAfterTheWord)
{
    EXPECT_EQ("OVRA ON 192.0.2.7 Mon Dec 07 10:50:46 2026 EST\r\n",
              Line(true, nullptr, "192.0.2.7", kMonday, "EST"));
}

TEST(StatusLine, OffLeavesOutNameAndAddress)
{
    EXPECT_EQ("OVRA OFF Mon Dec 07 18:02:11 2026 EST\r\n",
              Line(false, "host.example", "192.0.2.7", Time(2026, 12, 7, 1, 18, 2, 11), "EST"));
}

TEST(StatusLine, EmptyZoneEndsInSpaceBeforeLineEnd)
{
    std::string line = Line(false, nullptr, nullptr, kMonday, "");
    EXPECT_EQ("OVRA OFF Mon Dec 07 10:50:46 2026 \r\n", line);
}

TEST(StatusLine, ZoneIsCopiedAsTyped)
{
    EXPECT_EQ("OVRA OFF Mon Dec 07 10:50:46 2026 Central European %s  \r\n",
              Line(false, nullptr, nullptr, kMonday, "Central European %s  "));
}

TEST(StatusLine, DayHourMinuteSecondAreZeroPadded)
{
    EXPECT_EQ("OVRA OFF Sat Jan 01 00:00:00 2000 UTC\r\n",
              Line(false, nullptr, nullptr, Time(2000, 1, 1, 6, 0, 0, 0), "UTC"));
    EXPECT_EQ("OVRA OFF Sun Feb 09 09:05:03 2025 \r\n",
              Line(false, nullptr, nullptr, Time(2025, 2, 9, 0, 9, 5, 3), ""));
}

TEST(StatusLine, EveryDayAndMonthHasItsEnglishName)
{
    const char *days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char *months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // The names must not follow the locale.
    setlocale(LC_ALL, "C.UTF-8");
    for (int m = 0; m < 12; m++) {
        int d = m % 7;
        std::string expected = std::string("OVRA OFF ") + days[d] + " " + months[m] +
                               " 28 23:59:59 2031 Z\r\n";
        EXPECT_EQ(expected, Line(false, nullptr, nullptr, Time(2031, m + 1, 28, d, 23, 59, 59), "Z"));
    }
    setlocale(LC_ALL, "C");
}

TEST(StatusLine, YearIsPaddedToFourPlacesWithSpacesAndNeverCut)
{
    EXPECT_EQ("OVRA OFF Mon Jan 05 12:00:00  999 \r\n",
              Line(false, nullptr, nullptr, Time(999, 1, 5, 1, 12, 0, 0), ""));
    EXPECT_EQ("OVRA OFF Mon Jan 05 12:00:00 10000 \r\n",
              Line(false, nullptr, nullptr, Time(10000, 1, 5, 1, 12, 0, 0), ""));
}

TEST(StatusLine, DateAndTimeAreAlways24Characters)
{
    std::string line = Line(true, nullptr, "10.0.0.1", Time(2026, 3, 4, 3, 5, 6, 7), "");
    const std::string head = "OVRA ON 10.0.0.1 ";
    ASSERT_EQ(0u, line.rfind(head, 0));
    EXPECT_EQ(head.size() + 24 + 1 + 2, line.size()) << line;
}

TEST(StatusLine, ALongLineIsCutToTheBuffer)
{
    std::string zone(300, 'z');
    char out[40];
    FormatStatusLine(true, "a-rather-long-host-name.example", "192.0.2.7", &kMonday,
                     zone.c_str(), out, sizeof out);
    EXPECT_EQ(std::string("OVRA ON a-rather-long-host-name.example").substr(0, 39), out);
}

}  // namespace
