#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/lineends.h"

// Converts like the capture does: the received bytes, a terminator after them, and a
// display buffer of exactly 2n+1 bytes with guards behind it.
static std::string Expand(const std::string &received, size_t *written = nullptr)
{
    std::vector<char> in(received.begin(), received.end());
    in.push_back('\0');
    size_t n = received.size();
    std::vector<char> out(2 * n + 1 + 4, 'G');
    size_t w = ExpandLineFeeds(in.data(), n, out.data());
    EXPECT_LE(w, 2 * n + 1);
    for (size_t i = 2 * n + 1; i < out.size(); i++)
        EXPECT_EQ('G', out[i]) << "written past the display block";
    if (written)
        *written = w;
    return std::string(out.data(), w);
}

TEST(LineEnds, BareLineFeedsBecomeCrLfAndCrLfStays)
{
    EXPECT_EQ(std::string("a\r\nb\r\nc\r\n", 10), Expand("a\nb\r\nc\n"));
    EXPECT_EQ(std::string("\r\n\r\n", 5), Expand("\n\n"));
    EXPECT_EQ(std::string("a\rb", 4), Expand("a\rb"));
    EXPECT_EQ(std::string("\r\r\n", 4), Expand("\r\r\n"));
}

TEST(LineEnds, LeadingLineFeedIsExpanded)
{
    EXPECT_EQ(std::string("\r\nx", 4), Expand("\nx"));
}

TEST(LineEnds, WorstCaseFillsTheBlockExactly)
{
    size_t written = 0;
    std::string all(16384, '\n');
    std::string shown = Expand(all, &written);
    EXPECT_EQ(2u * 16384 + 1, written);
    EXPECT_EQ('\0', shown.back());
}

TEST(LineEnds, ZeroByteIsCopiedSoTheShownTextEndsThere)
{
    std::string shown = Expand(std::string("ab\0c\nd", 6));
    EXPECT_EQ(std::string("ab\0c\r\nd", 8), shown);
    EXPECT_STREQ("ab", shown.c_str());
}

TEST(LineEnds, EmptyAnswerIsTheTerminatorAlone)
{
    EXPECT_EQ(std::string("", 1), Expand(""));
}
