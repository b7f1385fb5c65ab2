// Stored form of the FTP password, and decimal integer text. Platform-free.
#ifndef OVRA_SCRAMBLE_H
#define OVRA_SCRAMBLE_H

#include <stddef.h>

// Every printable byte (32..126) lands in 161..255 without wrapping. Files written
// with one offset cannot be read by a build that uses another: never change it.
enum { PasswordOffset = 0x81 };

// Both write at most size - 1 bytes and a terminator into out (size >= 1).
void ScramblePassword(const char *plain, char *out, size_t size);
void UnscramblePassword(const char *stored, char *out, size_t size);

// Whether the profile functions give the scrambled form of plain back whole, by their text
// rules alone: no byte of it is NUL (the value would end there), CR or LF (the line would),
// it neither starts nor ends with white space (trimmed) and is not enclosed in a pair of
// the same quotation mark (removed). The code page can still change it: see StorePassword.
bool PasswordStorable(const char *plain);

// Signed decimal, no leading zeros or plus sign; out holds at least 12 bytes.
void FormatDecimal(int value, char *out, size_t size);

#endif
