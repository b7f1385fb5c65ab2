// The reply reader fed through random read sizes: the code does not depend on how the bytes
// are chunked, nothing is written past the buffer (a heap block of exactly its capacity),
// what is kept is a terminated prefix of the stream, and reading stops at the first whole
// reply of an arrival, at the end of the stream or with the buffer full.
#include <fuzzer/FuzzedDataProvider.h>

#include <random>
#include <string>

#include "net/reply.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

enum { kReplyCapacity = 2048 };  // the FTP reply buffer

enum Chunking { kRandom, kOneByte, kAllRoom };

struct Stream {
    const std::string *bytes;
    size_t capacity;
    size_t delivered;
    Chunking chunking;
    std::minstd_rand sizes;
    size_t failAt;  // a receive failure once this many bytes were delivered; npos: never
};

int Receive(void *context, char *buffer, int room)
{
    Stream *s = static_cast<Stream *>(context);
    // The reader always leaves room for its terminator and never asks for nothing.
    FUZZ_CHECK(room >= 1 && s->delivered + (size_t)room <= s->capacity - 1);
    if (s->delivered >= s->failAt)
        return -1;
    size_t left = s->bytes->size() - s->delivered;
    size_t count = (size_t)room;
    if (s->chunking == kOneByte)
        count = 1;
    else if (s->chunking == kRandom)
        count = s->sizes() % 4 == 0 ? 1 + s->sizes() % (size_t)room : 1 + s->sizes() % 8;
    count = std::min({count, (size_t)room, left, s->failAt - s->delivered});
    memcpy(buffer, s->bytes->data() + s->delivered, count);
    s->delivered += count;
    return (int)count;
}

// Reads the stream in one way; checks what was kept and returns the code (-1: failed).
int ReadWith(const std::string &bytes, size_t capacity, Chunking chunking, unsigned seed,
             size_t failAt, size_t *delivered)
{
    Stream s{&bytes, capacity, 0, chunking, std::minstd_rand(seed), failAt};
    std::unique_ptr<char[]> buffer(new char[capacity]);
    int code = ReadReplyFrom(Receive, &s, capacity, buffer.get());
    *delivered = s.delivered;
    FUZZ_CHECK(s.delivered <= capacity - 1);
    FUZZ_CHECK(memcmp(buffer.get(), bytes.data(), s.delivered) == 0);
    FUZZ_CHECK(buffer[s.delivered] == '\0');
    if (code == -1) {
        FUZZ_CHECK(failAt <= bytes.size() && s.delivered == failAt);
        return code;
    }
    FUZZ_CHECK(code >= 0 && code <= 999);
    bool complete = ReplyComplete(buffer.get(), s.delivered);
    FUZZ_CHECK(complete || s.delivered == bytes.size() || s.delivered == capacity - 1);
    // No arrival but the last may hold a whole reply: the reader must not stop early.
    for (size_t n = 1; n < s.delivered && chunking == kOneByte; n++) {
        if (bytes[n - 1] != '\n')
            continue;  // a whole reply ends in a line feed
        std::string prefix = bytes.substr(0, n);
        FUZZ_CHECK(!ReplyComplete(prefix.c_str(), n));
    }
    return code;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t capacity = input.ConsumeBool() ? kReplyCapacity
                                          : input.ConsumeIntegralInRange<size_t>(1, kReplyCapacity);
    unsigned seed = input.ConsumeIntegral<unsigned>();
    size_t failAt = input.ConsumeIntegralInRange<int>(0, 7) == 0
                        ? input.ConsumeIntegralInRange<size_t>(0, 4096)
                        : std::string::npos;
    std::string bytes = input.ConsumeRemainingBytesAsString();

    size_t randomCount, oneCount, wholeCount;
    int random = ReadWith(bytes, capacity, kRandom, seed, failAt, &randomCount);
    int one = ReadWith(bytes, capacity, kOneByte, seed, failAt, &oneCount);
    int whole = ReadWith(bytes, capacity, kAllRoom, seed, failAt, &wholeCount);
    if (random == -1 || one == -1 || whole == -1)
        return 0;
    if (randomCount >= 3 && oneCount >= 3 && wholeCount >= 3) {
        FUZZ_CHECK(random == one);
        FUZZ_CHECK(whole == one);
    }
    // Read byte by byte, the reader stops exactly at the first whole reply.
    FUZZ_CHECK(oneCount <= randomCount && oneCount <= wholeCount);
    return 0;
}
