#include <gtest/gtest.h>

#include "app/paths.h"

TEST(AppendPath, JoinsWithOneBackslashAndRefusesWhatDoesNotFit)
{
    char path[16] = "C:\\Users\\a";
    EXPECT_TRUE(AppendPath(path, sizeof path, "Ovra"));
    EXPECT_STREQ("C:\\Users\\a\\Ovra", path);  // 15 characters: the buffer is full
    EXPECT_FALSE(AppendPath(path, sizeof path, "x"));
    EXPECT_STREQ("C:\\Users\\a\\Ovra", path);

    char root[9] = "C:\\";
    EXPECT_TRUE(AppendPath(root, sizeof root, "a.ini"));
    EXPECT_STREQ("C:\\a.ini", root);
    char full[9] = "C:\\";
    EXPECT_FALSE(AppendPath(full, sizeof full, "ab.ini"));
    EXPECT_STREQ("C:\\", full);
}

TEST(FileUrl, SlashesAndEscapesEveryByteAUrlCannotHoldAndRefusesWhatDoesNotFit)
{
    char url[64];
    EXPECT_TRUE(FileUrl("C:\\a b\\%\xE9#.html", url, sizeof url));
    EXPECT_STREQ("file:///C:/a%20b/%25%E9%23.html", url);
    EXPECT_TRUE(FileUrl("C:\\ab", url, 14));  // 13 characters: the buffer is full
    EXPECT_FALSE(FileUrl("C:\\abc", url, 14));
    EXPECT_STREQ("", url);
}
