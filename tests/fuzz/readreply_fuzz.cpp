// The reply reader fed through random read sizes, reply after reply on one stream: each
// reply ends exactly where the first whole reply of what follows the last one ends (or at
// the end of the stream), whatever the chunking and the buffer's size; the buffer holds its
// start, terminated, and nothing is written past it (a heap block of exactly its capacity);
// what the reader gives back is exactly the end of what it last received, so no byte of the
// stream is lost or read twice.
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
    size_t delivered;  // taken by the reader and not given back
    size_t lastCount;  // the last receive's count
    Chunking chunking;
    std::minstd_rand sizes;
    size_t failAt;  // a receive failure once this many bytes were delivered; npos: never
};

int Receive(void *context, char *buffer, int room)
{
    Stream *s = static_cast<Stream *>(context);
    FUZZ_CHECK(room >= 1);
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
    s->lastCount = count;
    return (int)count;
}

int Keep(void *context, const char *bytes, int count)
{
    Stream *s = static_cast<Stream *>(context);
    FUZZ_CHECK(count >= 1 && (size_t)count <= s->lastCount);
    s->delivered -= (size_t)count;
    FUZZ_CHECK(memcmp(bytes, s->bytes->data() + s->delivered, (size_t)count) == 0);
    s->lastCount = 0;  // only the latest receive can be given back, once
    return 0;
}

// Where the reply that starts at start ends: the first whole reply, else the stream's end.
// (reply_fuzz holds the byte-by-byte test to a line-based reference.)
size_t ExpectedEnd(const std::string &bytes, size_t start)
{
    ReplyEnd end = {};
    for (size_t at = start; at < bytes.size(); at++) {
        if (ReplyEndsAfter(&end, bytes[at]))
            return at + 1;
    }
    return bytes.size();
}

// Reads the stream reply by reply in one way; returns the replies' codes (-1: failed).
std::vector<int> ReadAll(const std::string &bytes, size_t capacity, Chunking chunking, unsigned seed,
                         size_t failAt)
{
    Stream s{&bytes, 0, 0, chunking, std::minstd_rand(seed), failAt};
    ReplySource source = {Receive, Keep, &s};
    std::unique_ptr<char[]> buffer(new char[capacity]);
    std::vector<int> codes;
    while (s.delivered < bytes.size() && codes.size() < 64) {
        size_t start = s.delivered;
        int code = ReadReplyFrom(&source, capacity, buffer.get());
        codes.push_back(code);
        if (code == -1) {
            FUZZ_CHECK(s.delivered >= failAt);
            break;
        }
        size_t end = ExpectedEnd(bytes, start);
        FUZZ_CHECK(s.delivered == end);
        size_t held = std::min(end - start, capacity - 1);
        FUZZ_CHECK(memcmp(buffer.get(), bytes.data() + start, held) == 0);
        FUZZ_CHECK(buffer[held] == '\0');
        FUZZ_CHECK(code >= 0 && code <= 999);
    }
    return codes;
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

    std::vector<int> random = ReadAll(bytes, capacity, kRandom, seed, failAt);
    std::vector<int> one = ReadAll(bytes, capacity, kOneByte, seed, failAt);
    std::vector<int> whole = ReadAll(bytes, capacity, kAllRoom, seed, failAt);
    // Without a failure the codes do not depend on the chunking.
    if (failAt == std::string::npos) {
        FUZZ_CHECK(random == one);
        FUZZ_CHECK(whole == one);
    }
    return 0;
}
