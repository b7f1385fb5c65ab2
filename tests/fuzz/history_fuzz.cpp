// History values: joining keeps the most recent entries that fit, whole and in order, never
// writes past the value, and what was joined reads back as the same entries.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <string>
#include <vector>

#include "query/historylist.h"
#include "tests/fuzz/fuzzcheck.h"

static std::vector<std::string> ReadBack(const char *value)
{
    std::vector<std::string> entries;
    std::unique_ptr<char[]> copy = HeapText(value);
    char *cursor = copy.get();
    for (char *entry = NextHistoryEntry(&cursor); entry; entry = NextHistoryEntry(&cursor))
        entries.push_back(entry);
    return entries;
}

// What an entry turns into when read back: its pieces between commas and spaces.
static void AddPieces(const std::string &entry, std::vector<std::string> *pieces)
{
    std::string piece;
    for (char c : entry + ",") {
        if (c != ',' && c != ' ') {
            piece += c;
        } else if (!piece.empty()) {
            pieces->push_back(piece);
            piece.clear();
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const char *separator = input.ConsumeBool() ? ", " : ",";
    size_t valueSize = input.ConsumeIntegralInRange<size_t>(0, kHistorySize);
    int count = input.ConsumeIntegralInRange<int>(0, kHistoryMax + 5);
    // Entries as the dialog fetches them: at most 127 characters.
    std::vector<std::string> entries;
    for (int i = 0; i < count; i++)
        entries.push_back(CText(input.ConsumeRandomLengthString(kEntrySize - 1)));
    // Short entries make long lists more likely.
    if (input.ConsumeBool()) {
        for (std::string &entry : entries)
            entry = entry.substr(0, 4);
    }
    std::vector<const char *> pointers;
    for (const std::string &entry : entries)
        pointers.push_back(entry.c_str());

    std::unique_ptr<char[]> value(new char[valueSize]);
    int joined = JoinHistory(value.get(), valueSize, pointers.data(), count, separator);
    FUZZ_CHECK(joined >= 0 && joined <= std::min(count, (int)kHistoryMax));
    if (valueSize == 0) {
        FUZZ_CHECK(joined == 0);
        return 0;
    }
    FUZZ_CHECK(memchr(value.get(), '\0', valueSize) != nullptr);

    std::string expected;
    std::vector<std::string> pieces;
    for (int i = 0; i < joined; i++) {
        expected += entries[i] + separator;
        AddPieces(entries[i], &pieces);
    }
    FUZZ_CHECK(expected == value.get());
    // Only an entry that does not fit ends the list early.
    if (joined < std::min(count, (int)kHistoryMax))
        FUZZ_CHECK(expected.size() + entries[joined].size() + strlen(separator) >= valueSize);
    FUZZ_CHECK(ReadBack(value.get()) == pieces);
    return 0;
}
