// Word scanning (command line, history values, query parts): for any separators, the words
// come out whole, in order, non-empty and free of separators, and the scan never leaves the
// text; once only separators remain it keeps answering "none".
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "app/words.h"
#include "tests/fuzz/fuzzcheck.h"

static std::vector<std::string> SplitAtRuns(const std::string &text, const std::string &separators)
{
    std::vector<std::string> words(1);
    for (char c : text) {
        if (separators.find(c) == std::string::npos)
            words.back() += c;
        else if (!words.back().empty())
            words.emplace_back();
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::string separators = CText(input.ConsumeRandomLengthString(6));
    std::string text = CText(input.ConsumeRemainingBytesAsString());
    std::unique_ptr<char[]> separatorBlock = HeapText(separators);
    std::unique_ptr<char[]> block = HeapText(text);
    char *const begin = block.get();
    char *const end = begin + text.size();

    std::vector<std::string> expected = SplitAtRuns(text, separators);
    char *cursor = begin;
    char *previous = begin;
    size_t count = 0;
    for (char *word = NextWord(&cursor, separatorBlock.get()); word != nullptr;
         word = NextWord(&cursor, separatorBlock.get())) {
        FUZZ_CHECK(word >= previous && word < end);
        FUZZ_CHECK(cursor > word && cursor <= end);
        FUZZ_CHECK(count < expected.size());
        FUZZ_CHECK(expected[count] == word);
        previous = cursor;
        count++;
    }
    FUZZ_CHECK(count == expected.size());
    FUZZ_CHECK(cursor >= begin && cursor <= end);
    FUZZ_CHECK(NextWord(&cursor, separatorBlock.get()) == nullptr);
    return 0;
}
