#include <gtest/gtest.h>

#include <string>

#include "net/commandline.h"

TEST(MakeCommandLine, EndsTheLineAndDoublesEveryIac)
{
    const struct {
        std::string command, line;
    } cases[] = {
        {"QUIT", "QUIT\r\n"},
        {"PASS se\xFFret", "PASS se\xFF\xFFret\r\n"},
        {"\xFF\xFF", "\xFF\xFF\xFF\xFF\r\n"},
        {"", "\r\n"},
    };
    for (const auto &c : cases) {
        char buffer[32];
        strcpy(buffer, c.command.c_str());
        EXPECT_EQ((long)c.line.size(), MakeCommandLine(buffer, sizeof buffer));
        EXPECT_EQ(c.line, buffer);
    }
}

TEST(MakeCommandLine, RefusesALineBreakOrNoRoomAndLeavesTheText)
{
    const struct {
        const char *command;
        size_t capacity;
        long result;
    } cases[] = {
        {"PASS secret\r\nDELE .project", 64, kCommandHoldsBreak},
        {"USER a\rb", 64, kCommandHoldsBreak},
        {"STOR x\n", 64, kCommandHoldsBreak},
        {"PASS \xFF", 9, kCommandTooLong},  // 9 bytes of line and the terminator
        {"PASS \xFF", 10, 9},
    };
    for (const auto &c : cases) {
        char buffer[64];
        strcpy(buffer, c.command);
        EXPECT_EQ(c.result, MakeCommandLine(buffer, c.capacity)) << c.command;
        if (c.result < 0) {
            EXPECT_STREQ(c.command, buffer);
        }
    }
}
