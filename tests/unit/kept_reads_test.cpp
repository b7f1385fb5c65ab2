#include <gtest/gtest.h>

#include <string>

#include "settings/keptreads.h"

namespace {

const uint64_t kWritten = 130000000000000000ull;  // a file time
const uint64_t kLater = kWritten + kFileTimeTick;

std::string Found(const KeptReads &kept, const FileStamp &now, const char *defaultText = "",
                  size_t size = 128)
{
    char value[128];
    unsigned long count = 0;
    if (!FindKeptRead(&kept, &now, "Settings", "Timezone", defaultText, value, size, &count))
        return "<read the file>";
    EXPECT_EQ(strlen(value), count);
    return value;
}

TEST(KeptReads, AValueIsKeptOnlyWhileTheFileIsAsItWas)
{
    static KeptReads kept;
    FileStamp stamp = {true, kWritten, 40};
    KeepRead(&kept, &stamp, kLater, "Settings", "Timezone", "", "EST", 128, 3);
    EXPECT_EQ("EST", Found(kept, stamp));
    EXPECT_EQ("<read the file>", Found(kept, stamp, "UTC")) << "another default";
    EXPECT_EQ("<read the file>", Found(kept, stamp, "", 2)) << "another buffer size";
    FileStamp rewritten = {true, kWritten + 1, 40}, resized = {true, kWritten, 41},
              gone = {false, 0, 0};
    for (const FileStamp &now : {rewritten, resized, gone})
        EXPECT_EQ("<read the file>", Found(kept, now));
    ForgetReads(&kept);  // a write of our own
    EXPECT_EQ("<read the file>", Found(kept, stamp));
}

// Two writes within one tick of the file clock can leave the same time and size.
TEST(KeptReads, AFileWrittenWithinATickOfTheReadIsReadAgain)
{
    static KeptReads kept;
    FileStamp stamp = {true, kWritten, 40};
    KeepRead(&kept, &stamp, kLater - 1, "Settings", "Timezone", "", "EST", 128, 3);
    EXPECT_EQ("<read the file>", Found(kept, stamp));
    KeepRead(&kept, &stamp, kWritten - 1, "Settings", "Timezone", "", "EST", 128, 3);
    EXPECT_EQ("<read the file>", Found(kept, stamp)) << "a file time ahead of the clock";
    FileStamp none = {false, 0, 0};  // no file: its creation changes the stamp
    KeepRead(&kept, &none, kWritten, "Settings", "Timezone", "", "", 128, 0);
    EXPECT_EQ("", Found(kept, none));
}

}  // namespace
