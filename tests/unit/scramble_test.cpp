#include <gtest/gtest.h>

#include <string>

#include "settings/scramble.h"

TEST(Scramble, EveryPrintableByteLandsAbove160AndComesBack)
{
    std::string plain;
    for (int c = 32; c <= 126; c++)
        plain += (char)c;
    char stored[128], back[128];
    ScramblePassword(plain.c_str(), stored, sizeof stored);
    ASSERT_EQ(plain.size(), strlen(stored));
    for (size_t i = 0; i < plain.size(); i++) {
        EXPECT_EQ((unsigned char)plain[i] + 0x81, (unsigned char)stored[i]);
        EXPECT_GE((unsigned char)stored[i], 161);
    }
    UnscramblePassword(stored, back, sizeof back);
    EXPECT_EQ(plain, back);
}

TEST(Scramble, OtherBytesWrapModulo256)
{
    char plain[] = {(char)0x80, (char)0xFF, 0};
    char stored[8], back[8];
    ScramblePassword(plain, stored, sizeof stored);
    EXPECT_EQ(0x01, (unsigned char)stored[0]);
    EXPECT_EQ(0x80, (unsigned char)stored[1]);
    UnscramblePassword(stored, back, sizeof back);
    EXPECT_STREQ(plain, back);
}

TEST(Scramble, OutputIsCutToItsBuffer)
{
    std::string plain(200, 'a');
    char stored[128];
    ScramblePassword(plain.c_str(), stored, sizeof stored);
    EXPECT_EQ(127u, strlen(stored));
}

TEST(FormatDecimal, SignedWithoutPaddingOrPlus)
{
    char text[16];
    FormatDecimal(-40, text, sizeof text);
    EXPECT_STREQ("-40", text);
    FormatDecimal(0, text, sizeof text);
    EXPECT_STREQ("0", text);
    FormatDecimal(-2147483647 - 1, text, sizeof text);
    EXPECT_STREQ("-2147483648", text);
}

TEST(PasswordStorable, RefusesWhatTheProfileFunctionsWouldCutOrChange)
{
    const struct {
        const char *plain;
        bool storable;
    } cases[] = {
        {"secret", true}, {"", true}, {"\xA1", true},
        {"ab\x89" "cd", false}, {"ab\x8C" "cd", false}, {"pass\x7Fword", false},  // LF, CR, NUL
        {"\x9F" "ab", false}, {"ab\x88", false}, {"ab\x9F" "cd", true},  // blank, tab at an end
        {"\xA1" "ab\xA1", false}, {"\xA6" "ab\xA6", false}, {"\xA1" "ab\xA6", true},  // quotes
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.storable, PasswordStorable(c.plain)) << c.plain;
}
