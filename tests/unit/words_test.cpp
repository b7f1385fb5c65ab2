#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/words.h"

static std::vector<std::string> Split(std::string text, const char *separators)
{
    std::vector<std::string> words;
    char *cursor = &text[0];
    for (char *w = NextWord(&cursor, separators); w; w = NextWord(&cursor, separators))
        words.push_back(w);
    return words;
}

TEST(NextWord, SplitsAtRunsOfSeparators)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(V({"C:\\ovra.exe", "on"}), Split("C:\\ovra.exe  on", " /-"));
    EXPECT_EQ(V({"x", "On"}), Split("x-On", " /-"));
    EXPECT_EQ(V({"ON", "off"}), Split("/ON --off", " /-"));
    EXPECT_EQ(V({"on:"}), Split("on:", " /-"));
    EXPECT_EQ(V(), Split("", " /-"));
    EXPECT_EQ(V(), Split(" -/ ", " /-"));
    EXPECT_EQ(V({"a", "b"}), Split(",, a, ,b,", ", "));
}

TEST(NextWord, KeepsReturningNullAtTheEnd)
{
    char text[] = "one ";
    char *cursor = text;
    EXPECT_STREQ("one", NextWord(&cursor, " "));
    EXPECT_EQ(nullptr, NextWord(&cursor, " "));
    EXPECT_EQ(nullptr, NextWord(&cursor, " "));
}

TEST(SkipProgramPath, TheRestStartsWhereWindowsEndsTheProgramPath)
{
    const char *cases[][2] = {
        {"\"C:\\Tools\\Stay On Top\\ovra.exe\" Off", " Off"},
        {"\"C:\\open quote On", ""},  // no closing quotation mark: all of it is the path
        {"C:\\stay-on-top\\ovra.exe\ton", "\ton"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_STREQ(c[1], SkipProgramPath(c[0])) << c[0];
}
