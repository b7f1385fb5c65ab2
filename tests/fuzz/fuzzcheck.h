// Shared by the fuzz targets: a failed property aborts with its text, and inputs are copied
// to heap blocks of exactly their size so that AddressSanitizer sees the first byte past them.
#ifndef OVRA_FUZZCHECK_H
#define OVRA_FUZZCHECK_H

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

[[noreturn]] inline void FuzzFailure(const char *condition, const char *file, int line)
{
    fprintf(stderr, "%s:%d: property failed: %s\n", file, line, condition);
    abort();
}

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFailure(#condition, __FILE__, __LINE__))

// The text up to its first zero byte, which is all a C string of it can hold.
inline std::string CText(const std::string &bytes)
{
    return bytes.substr(0, strnlen(bytes.data(), bytes.size()));
}

// A terminated copy in a block of exactly text.size() + 1 bytes.
inline std::unique_ptr<char[]> HeapText(const std::string &text)
{
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    memcpy(block.get(), text.data(), text.size());
    block[text.size()] = '\0';
    return block;
}

#endif
