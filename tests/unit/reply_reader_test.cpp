#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/reply.h"

namespace {

// A server whose bytes arrive in the given pieces, then the end of the stream.
struct Arrivals {
    std::vector<std::string> pieces;
    size_t next = 0;
    int reads = 0;
};

int Receive(void *context, char *buffer, int room)
{
    Arrivals *a = static_cast<Arrivals *>(context);
    a->reads++;
    if (a->next == a->pieces.size())
        return 0;
    std::string &piece = a->pieces[a->next];
    if (piece == "<fail>")
        return -1;
    int count = (int)std::min(piece.size(), (size_t)room);
    memcpy(buffer, piece.data(), (size_t)count);
    piece.erase(0, (size_t)count);
    if (piece.empty())
        a->next++;
    return count;
}

std::string Read(std::vector<std::string> pieces, int *code, size_t capacity = 2048, int *reads = nullptr)
{
    Arrivals a{std::move(pieces)};
    std::vector<char> buffer(capacity);
    *code = ReadReplyFrom(Receive, &a, capacity, buffer.data());
    if (reads)
        *reads = a.reads;
    return buffer.data();
}

TEST(ReadReplyFrom, StopsAtTheFirstWholeReplyOfEachArrival)
{
    int code, reads;
    EXPECT_EQ("220 hi\r\n", Read({"2", "20 h", "i\r", "\n", "331 more\r\n"}, &code, 2048, &reads));
    EXPECT_EQ(220, code);
    EXPECT_EQ(4, reads);
    // Two replies in one arrival are taken together: the whole arrival is the reply.
    EXPECT_EQ("220 a\r\n331 b\r\n", Read({"220 a\r\n331 b\r\n"}, &code));
    EXPECT_EQ(220, code);
}

TEST(ReadReplyFrom, MultiLineEndsOnlyAtItsOwnClosingCode)
{
    int code;
    EXPECT_EQ("230-a\r\nb\r\n230 end\r\n", Read({"230-a\r\n", "b\r\n", "230 end\r\n", "x"}, &code));
    EXPECT_EQ(230, code);
    // Another closing code never ends it: reading goes on to the end of the stream.
    EXPECT_EQ("230-a\r\n231 end\r\nz", Read({"230-a\r\n", "231 end\r\n", "z"}, &code));
    EXPECT_EQ(230, code);
    EXPECT_EQ("220\r\n", Read({"220\r\n"}, &code));
    EXPECT_EQ(220, code);
}

TEST(ReadReplyFrom, FullBufferStopsAndIsTerminated)
{
    int code;
    std::string text = Read({"550-" + std::string(100, 'x')}, &code, 32);
    EXPECT_EQ(31u, text.size());
    EXPECT_EQ(550, code);
}

TEST(ReadReplyFrom, ShowsOnlyWhatArrivedWhenTheServerCloses)
{
    Arrivals a{{"421 bye"}};
    char buffer[64];
    strcpy(buffer, "older reply text that must not show");
    EXPECT_EQ(421, ReadReplyFrom(Receive, &a, sizeof buffer, buffer));
    EXPECT_STREQ("421 bye", buffer);
}

TEST(ReadReplyFrom, FailureAndSignedCodes)
{
    int code;
    Read({"22", "<fail>"}, &code);
    EXPECT_EQ(-1, code);
    Read({"-1 sneaky\r\n"}, &code);
    EXPECT_EQ(0, code);
    Read({"abc\r\n"}, &code);
    EXPECT_EQ(0, code);
}

}  // namespace
