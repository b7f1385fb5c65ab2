#include <gtest/gtest.h>

#include <string>

#include "net/commandline.h"

TEST(MakeCommandLine, DoublesIacEndsTheLineOrRefusesAndLeavesTheText)
{
    const struct {
        std::string command, line;  // line empty: refused with result
        size_t capacity;
        long result;
    } cases[] = {
        {"PASS se\xFFret", "PASS se\xFF\xFFret\r\n", 32, 14},
        {"\xFF\xFF", "\xFF\xFF\xFF\xFF\r\n", 7, 6},
        {"PASS \xFF", "", 9, kCommandTooLong},  // 9 bytes of line and the terminator
        {"PASS secret\r\nDELE .project", "", 64, kCommandHoldsBreak},
        {"USER a\rb", "", 64, kCommandHoldsBreak},
    };
    for (const auto &c : cases) {
        char buffer[64];
        strcpy(buffer, c.command.c_str());
        EXPECT_EQ(c.result, MakeCommandLine(buffer, c.capacity)) << c.command;
        EXPECT_EQ(c.line.empty() ? c.command : c.line, buffer);
    }
}
