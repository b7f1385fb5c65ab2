// The exchange recorder: lines per connection and direction, the password hidden, outcome.
#include <gtest/gtest.h>

#include <string>

#include "net/record.h"

namespace {

std::string Shown(const Record &record)
{
    static char out[kRecordTextSize + 1024];
    FormatRecord(&record, out, sizeof out);
    return out;
}

void Bytes(Record *r, uint64_t ms, uintptr_t id, bool sent, const std::string &bytes)
{
    RecordBytes(r, ms * 1000, id, sent, bytes.data(), bytes.size());
}

TEST(Record, KeepsLinesPerConnectionHidesThePasswordAndMarksTls)
{
    static Record r;
    RecordBegin(&r, "Post On to h", 5000000);
    RecordOpen(&r, 5000000, 7, kLinkCommands, "connected");
    Bytes(&r, 5004, 7, false, "220 re");             // a reply that arrives in two parts
    Bytes(&r, 5005, 7, false, "ady\r\n");
    RecordNote(&r, 5006000, 7, "TLS started", true);
    Bytes(&r, 5007, 7, true, "pass s3cret\r\n");
    Bytes(&r, 5008, 7, false, "230-a\r\n230 b\r\n");
    RecordOpen(&r, 5009000, 9, kLinkData, "data");
    Bytes(&r, 5010, 7, true, "STOR x\r\n");
    Bytes(&r, 5011, 9, true, std::string("OVRA\0\x7f\r\n", 8));
    RecordOutcome(&r, "stored x");
    RecordOutcome(&r, "failed");
    EXPECT_EQ("Post On to h: stored x\r\n\r\n"
              "   0.000 #1 connected\r\n"
              "   0.004 #1 < 220 ready\r\n"
              "   0.006 #1 TLS started\r\n"
              "   0.007 #1 TLS > PASS ****\r\n"
              "   0.008 #1 TLS < 230-a\r\n"
              "   0.008 #1 TLS < 230 b\r\n"
              "   0.009 #2 data\r\n"
              "   0.010 #1 TLS > STOR x\r\n"
              "   0.011 #2 > OVRA\\x00\x7f\r\n",
              Shown(r));
    EXPECT_STREQ("STOR", r.verb);
    EXPECT_EQ(std::string::npos, Shown(r).find("s3cret"));
}

TEST(Record, CountsWhatDoesNotFitAndStartsAfreshAtTheNextBegin)
{
    static Record r;
    RecordBegin(&r, "Web query w", 0);
    std::string answer(kRecordTextSize, 'a');
    Bytes(&r, 1, 3, false, answer);
    // The line's prefix "   0.000 #1 < " (14 bytes) and the answer, in room for one less.
    std::string shown = Shown(r);
    EXPECT_EQ("\r\n(15 bytes more not kept)\r\n", shown.substr(shown.size() - 28));
    RecordBegin(&r, "Finger query f", 0);
    EXPECT_EQ("Finger query f: \r\n\r\n", Shown(r));
}

}  // namespace
