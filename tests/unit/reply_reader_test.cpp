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

// What the reader gives back arrives again first, as a piece of its own.
int Keep(void *context, const char *bytes, int count)
{
    Arrivals *a = static_cast<Arrivals *>(context);
    a->pieces.insert(a->pieces.begin() + (long)a->next, std::string(bytes, (size_t)count));
    return 0;
}

std::string ReadFrom(Arrivals *a, int *code, size_t capacity = 2048)
{
    std::vector<char> buffer(capacity);
    ReplySource source = {Receive, Keep, a};
    *code = ReadReplyFrom(&source, capacity, buffer.data());
    return buffer.data();
}

std::string Read(std::vector<std::string> pieces, int *code, size_t capacity = 2048, int *reads = nullptr)
{
    Arrivals a{std::move(pieces)};
    std::string text = ReadFrom(&a, code, capacity);
    if (reads)
        *reads = a.reads;
    return text;
}

TEST(ReadReplyFrom, StopsAtTheFirstWholeReplyOfEachArrival)
{
    int code, reads;
    EXPECT_EQ("220 hi\r\n", Read({"2", "20 h", "i\r", "\n", "331 more\r\n"}, &code, 2048, &reads));
    EXPECT_EQ(220, code);
    EXPECT_EQ(4, reads);
}

// What arrives with a reply's end, a whole reply or the start of one, is the next reply.
TEST(ReadReplyFrom, BytesAfterTheEndAreTheNextReply)
{
    int code;
    Arrivals a{{"220-a\r\n220 b\r\n331 c\r\n23", "0 d\r\n"}};
    EXPECT_EQ("220-a\r\n220 b\r\n", ReadFrom(&a, &code));
    EXPECT_EQ("331 c\r\n", ReadFrom(&a, &code));
    EXPECT_EQ(331, code);
    EXPECT_EQ("230 d\r\n", ReadFrom(&a, &code));
    EXPECT_EQ(230, code);
}

// A reply longer than the buffer: what fits is kept, the rest read to the reply's end and
// dropped, and what followed it is the next reply.
TEST(ReadReplyFrom, OverlongReplyIsCutAndReadToItsEnd)
{
    int code;
    std::string banner = "220-" + std::string(5000, 'x') + "\r\n220 end\r\n";
    Arrivals a{{banner.substr(0, 3000), banner.substr(3000) + "331 ok\r\n"}};
    EXPECT_EQ(banner.substr(0, 2047), ReadFrom(&a, &code));
    EXPECT_EQ(220, code);
    EXPECT_EQ("331 ok\r\n", ReadFrom(&a, &code));
    // The closing line's start split across the buffer's end still ends the reply.
    std::string split = "230-" + std::string(2040, 'y') + "\r\n230 in\r\n200 next\r\n";
    Arrivals b{{split}};
    EXPECT_EQ(split.substr(0, 2047), ReadFrom(&b, &code));
    EXPECT_EQ("200 next\r\n", ReadFrom(&b, &code));
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

TEST(ReadReplyFrom, FullBufferIsTerminated)
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
    ReplySource source = {Receive, Keep, &a};
    EXPECT_EQ(421, ReadReplyFrom(&source, sizeof buffer, buffer));
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
