// The stored password and decimal text: a password reads back as typed (unless one of its
// bytes scrambles to the terminator), both stay within the given size, and a short buffer
// gets the start of the whole text.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "settings/scramble.h"
#include "tests/fuzz/fuzzcheck.h"

static std::string Scrambled(const std::string &plain, size_t size)
{
    std::unique_ptr<char[]> out(new char[size]);
    ScramblePassword(plain.c_str(), out.get(), size);
    return out.get();
}

static std::string Unscrambled(const std::string &stored, size_t size)
{
    std::unique_ptr<char[]> out(new char[size]);
    UnscramblePassword(stored.c_str(), out.get(), size);
    return out.get();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    int value = input.ConsumeIntegral<int>();
    size_t cut = input.ConsumeIntegralInRange<size_t>(1, 140);
    std::string plain = CText(input.ConsumeRemainingBytesAsString());

    std::string whole = Scrambled(plain, plain.size() + 1);
    size_t kept = plain.find('\x7f');  // 0x7F + 0x81 wraps to the terminator
    FUZZ_CHECK(whole.size() == (kept == std::string::npos ? plain.size() : kept));
    for (size_t i = 0; i < whole.size(); i++)
        FUZZ_CHECK((unsigned char)whole[i] == (unsigned char)(plain[i] + PasswordOffset));
    FUZZ_CHECK(Unscrambled(whole, whole.size() + 1) == plain.substr(0, whole.size()));
    FUZZ_CHECK(Scrambled(plain, cut) == whole.substr(0, cut - 1));
    FUZZ_CHECK(Unscrambled(whole, cut) == plain.substr(0, std::min(cut - 1, whole.size())));

    std::unique_ptr<char[]> decimal(new char[cut]);
    FormatDecimal(value, decimal.get(), cut);
    FUZZ_CHECK(std::to_string(value).substr(0, cut - 1) == decimal.get());
    return 0;
}
