// The exchange recorder fed any sequence of events and bytes: the transcript stays within
// its block, holds no byte the pane cannot show but CR LF line ends, and keeps no trace of a
// password (the same events with another password give the same transcript).
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "net/record.h"
#include "tests/fuzz/fuzzcheck.h"

enum { kOutSize = kRecordTextSize + 2 * kRecordTitleSize + 128 };

static size_t Play(const uint8_t *data, size_t size, const char *secret, char *out)
{
    static Record record;
    FuzzedDataProvider input(data, size);
    RecordBegin(&record, "title", 1000);
    uint64_t now = 1000;
    while (input.remaining_bytes() > 0) {
        now += input.ConsumeIntegral<uint16_t>();
        uintptr_t id = input.ConsumeIntegralInRange<uintptr_t>(0, 40);
        switch (input.ConsumeIntegralInRange(0, 4)) {
        case 0:
            RecordOpen(&record, now, id, (RecordLink)input.ConsumeIntegralInRange(0, 2), "open");
            break;
        case 1:
            RecordNote(&record, now, id, "note", input.ConsumeBool());
            break;
        case 2: {  // a password, always on a connection that carries commands
            RecordOpen(&record, now, 99, kLinkCommands, "commands");
            std::string line = "PASS " + std::string(secret) + input.ConsumeRandomLengthString(8);
            line += "\r\n";
            RecordBytes(&record, now, 99, true, line.data(), line.size());
            break;
        }
        default: {
            std::string bytes = input.ConsumeRandomLengthString(4096);
            RecordBytes(&record, now, id, input.ConsumeBool(), bytes.data(), bytes.size());
        }
        }
    }
    RecordOutcome(&record, "outcome");
    FUZZ_CHECK(record.length < kRecordTextSize && strlen(record.text) == record.length);
    return FormatRecord(&record, out, kOutSize);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static char out[kOutSize], other[kOutSize];
    size_t length = Play(data, size, "s3cr3t!pw", out);
    FUZZ_CHECK(length < kOutSize && strlen(out) == length);
    FUZZ_CHECK(Play(data, size, "0ther!pw!", other) == length && strcmp(out, other) == 0);
    for (size_t i = 0; i < length; i++) {
        unsigned char c = (unsigned char)out[i];
        FUZZ_CHECK(c >= 32 || c == '\t' || (c == '\r' && out[i + 1] == '\n') ||
                   (c == '\n' && i > 0 && out[i - 1] == '\r'));
    }
    return 0;
}
