#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "query/historylist.h"

using Entries = std::vector<std::string>;

static Entries Load(std::string value)
{
    Entries entries;
    char *cursor = &value[0];
    for (char *e = NextHistoryEntry(&cursor); e; e = NextHistoryEntry(&cursor))
        entries.push_back(e);
    return entries;
}

static std::string Join(const Entries &entries, const char *separator, int *joined = nullptr,
                        size_t size = kHistorySize)
{
    std::vector<const char *> pointers;
    for (const std::string &e : entries)
        pointers.push_back(e.c_str());
    std::vector<char> value(size + 8, 'X');
    int n = JoinHistory(value.data(), size, pointers.data(), (int)pointers.size(), separator);
    if (joined)
        *joined = n;
    EXPECT_TRUE(std::all_of(value.begin() + (long)size, value.end(), [](char c) { return c == 'X'; }))
        << "written past the value";
    return value.data();
}

TEST(HistoryList, LoadsStoredValuesOfBothKindsInOrder)
{
    EXPECT_EQ(Entries({"u@h", "v@g"}), Load("u@h, v@g, "));
    EXPECT_EQ(Entries({"h/p", "g/a/b"}), Load("h/p,g/a/b,"));
    EXPECT_EQ(Entries({"a", "b", "c"}), Load(" ,,a , ,b,c  ,"));
    EXPECT_EQ(Entries(), Load(""));
    EXPECT_EQ(Entries(), Load(", ,, "));
}

TEST(HistoryList, EntryStoredWithASpaceLoadsAsTwo)
{
    EXPECT_EQ(Entries({"h/a", "b", "g"}), Load("h/a b,g,"));
}

TEST(HistoryList, JoinsWithTheSeparatorAfterEveryEntry)
{
    EXPECT_EQ("u@h, v@g, ", Join({"u@h", "v@g"}, ", "));
    EXPECT_EQ("h/p,g/a/b,", Join({"h/p", "g/a/b"}, ","));
    EXPECT_EQ("", Join({}, ", "));
    EXPECT_EQ(Entries({"u@h", "v@g"}), Load(Join({"u@h", "v@g"}, ", ")));
}

TEST(HistoryList, WritesAtMostTwentyFiveEntriesMostRecentFirst)
{
    Entries entries;
    for (int i = 0; i < 30; i++)
        entries.push_back("e" + std::to_string(i));
    int joined = 0;
    Entries back = Load(Join(entries, ",", &joined));
    EXPECT_EQ(25, joined);
    ASSERT_EQ(25u, back.size());
    EXPECT_EQ("e0", back.front());
    EXPECT_EQ("e24", back.back());
}

TEST(HistoryList, LongEntriesThatWouldOverflowAreLeftOutOldestFirst)
{
    // 25 entries of 127 characters with ", " need 3,225 characters: the last ones stay out.
    Entries entries;
    for (int i = 0; i < 25; i++)
        entries.push_back(std::string(127, (char)('a' + i)));
    int joined = 0;
    std::string value = Join(entries, ", ", &joined);
    EXPECT_EQ(24, joined);
    EXPECT_EQ(24u * 129, value.size());
    EXPECT_LE(value.size(), (size_t)kHistorySize - 1);
    Entries back = Load(value);
    ASSERT_EQ(24u, back.size());
    for (int i = 0; i < 24; i++)
        EXPECT_EQ(entries[(size_t)i], back[(size_t)i]);

    // Exactly filling the value is allowed; one character more is not.
    EXPECT_EQ("abc,", Join({"abc", "d"}, ",", &joined, 5));
    EXPECT_EQ(1, joined);
    EXPECT_EQ("abc,d,", Join({"abc", "d"}, ",", &joined, 7));
    EXPECT_EQ(2, joined);
    EXPECT_EQ("", Join({"abcd"}, ",", &joined, 5));
    EXPECT_EQ(0, joined);
}

TEST(HistoryList, ZeroSizedValueIsLeftAlone)
{
    char value = 'X';
    const char *entry = "a";
    EXPECT_EQ(0, JoinHistory(&value, 0, &entry, 1, ","));
    EXPECT_EQ('X', value);
}
