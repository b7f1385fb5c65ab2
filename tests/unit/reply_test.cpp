// FTP reply framing: codes, the end of a reply, and the PORT line.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "net/reply.h"

namespace {

bool Complete(const std::string &text)
{
    return ReplyComplete(text.c_str(), text.size());
}

TEST(ReplyCodeTest, ReadsOnlyTheFirstThreeCharactersLikeAtol)
{
    EXPECT_EQ(220, ReplyCode("220 Service ready\r\n"));
    EXPECT_EQ(230, ReplyCode("230-Welcome\r\n"));
    EXPECT_EQ(123, ReplyCode("1234 four digits\r\n"));  // the fourth never counts
    EXPECT_EQ(12, ReplyCode("12a\r\n"));                 // digits up to the first non-digit
    EXPECT_EQ(5, ReplyCode("5\r\n"));
    EXPECT_EQ(0, ReplyCode("abc 220\r\n"));
    EXPECT_EQ(0, ReplyCode(""));
    EXPECT_EQ(2, ReplyCode("\r\n220 late\r\n"));  // line ends are white space too
}

TEST(ReplyCodeTest, SkipsLeadingBlanksAndTakesASign)
{
    EXPECT_EQ(22, ReplyCode(" 220 x"));  // the blank is one of the three characters
    EXPECT_EQ(2, ReplyCode("  2"));
    EXPECT_EQ(-12, ReplyCode("-123"));
    EXPECT_EQ(45, ReplyCode("+45 x"));
    EXPECT_EQ(0, ReplyCode("   1"));
}

TEST(ReplyCodeTest, LeavesTheTextUnchanged)
{
    char text[] = "2201 x";
    EXPECT_EQ(220, ReplyCode(text));
    EXPECT_STREQ("2201 x", text);
}

TEST(ReplyCompleteTest, OneLineReplyEndsAtItsLineEnd)
{
    EXPECT_TRUE(Complete("220 Service ready\r\n"));
    EXPECT_FALSE(Complete("220 Service ready\r"));
    EXPECT_FALSE(Complete("220 Service ready"));
    EXPECT_FALSE(Complete("220 Ser"));
    EXPECT_FALSE(Complete("2"));
    EXPECT_FALSE(Complete(""));
}

TEST(ReplyCompleteTest, MultiLineReplyEndsAtClosingLineWithSameCode)
{
    EXPECT_FALSE(Complete("230-Welcome\r\n"));
    EXPECT_FALSE(Complete("230-Welcome\r\n more text\r\n"));
    EXPECT_FALSE(Complete("230-Welcome\r\n230 done"));  // closing line not yet whole
    EXPECT_TRUE(Complete("230-Welcome\r\n more text\r\n230 Logged in\r\n"));
    // A line inside the reply that starts with the code and a hyphen does not end it.
    EXPECT_FALSE(Complete("230-Welcome\r\n230-still going\r\n"));
}

TEST(ReplyCompleteTest, DifferentClosingCodeNeverEnds)
{
    EXPECT_FALSE(Complete("230-Welcome\r\n231 Logged in\r\n"));
    EXPECT_FALSE(Complete("230-Welcome\r\n 230 indented\r\n"));
}

TEST(ReplyCompleteTest, CodeWithLineEndOnlyDoesNotEndOnItsOwn)
{
    EXPECT_FALSE(Complete("220\r\n"));
    EXPECT_FALSE(Complete("22\r\n"));
    EXPECT_FALSE(Complete("\r\n"));
    // It is a marker reply: the same code and a blank on a later line ends it.
    EXPECT_TRUE(Complete("220\r\n220 ready\r\n"));
}

TEST(ReplyCompleteTest, TextAfterTheEndInTheSameArrivalIsPartOfIt)
{
    EXPECT_TRUE(Complete("220 Ready\r\n331 Password please\r\n"));
    EXPECT_TRUE(Complete("230-A\r\n230 B\r\n221 Bye\r\n"));
    // The end test only runs when what arrived ends in CR LF.
    EXPECT_FALSE(Complete("220 Ready\r\n331 Pass"));
}

TEST(ReplyCompleteTest, LooksOnlyAtTheGivenLength)
{
    const char text[] = "220 Ready\r\nrest";
    EXPECT_TRUE(ReplyComplete(text, 11));
    EXPECT_FALSE(ReplyComplete(text, 10));
}

TEST(FormatPortLineTest, NamesAddressBytesThenPortBytes)
{
    char line[64];
    FormatPortLine(0xC0000207ul, 1050, line, sizeof line);  // 192.0.2.7
    EXPECT_STREQ("PORT 192,0,2,7,4,26", line);
    FormatPortLine(0x7F000001ul, 65535, line, sizeof line);
    EXPECT_STREQ("PORT 127,0,0,1,255,255", line);
    FormatPortLine(0xFFFFFFFFul, 256, line, sizeof line);
    EXPECT_STREQ("PORT 255,255,255,255,1,0", line);
    FormatPortLine(0, 0, line, sizeof line);
    EXPECT_STREQ("PORT 0,0,0,0,0,0", line);
}

TEST(FormatPortLineTest, StaysInsideTheBuffer)
{
    char line[10];
    memset(line, 'x', sizeof line);
    FormatPortLine(0xC0000207ul, 1050, line, 8);
    EXPECT_STREQ("PORT 19", line);
    EXPECT_EQ('x', line[8]);
}

}  // namespace
