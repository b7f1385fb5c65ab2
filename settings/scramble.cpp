#include "settings/scramble.h"

#include <stdio.h>
#include <string.h>

static void ShiftBytes(const char *in, char *out, size_t size, int delta)
{
    size_t i = 0;
    for (; in[i] != '\0' && i + 1 < size; i++)
        out[i] = (char)(unsigned char)((unsigned char)in[i] + delta);
    out[i] = '\0';
}

void ScramblePassword(const char *plain, char *out, size_t size)
{
    ShiftBytes(plain, out, size, PasswordOffset);
}

void UnscramblePassword(const char *stored, char *out, size_t size)
{
    ShiftBytes(stored, out, size, -PasswordOffset);
}

static unsigned char Scrambled(char plain)
{
    return (unsigned char)((unsigned char)plain + PasswordOffset);
}

// The profile functions trim these from either end of a value (0x1A too, under Wine).
static bool TrimmedAtEnds(unsigned char c)
{
    return (c >= '\t' && c <= '\r') || c == 0x1A || c == ' ';
}

bool PasswordStorable(const char *plain)
{
    size_t length = strlen(plain);
    for (size_t i = 0; i < length; i++) {
        unsigned char c = Scrambled(plain[i]);
        if (c == '\0' || c == '\r' || c == '\n')
            return false;
    }
    if (length == 0)
        return true;
    unsigned char first = Scrambled(plain[0]);
    unsigned char last = Scrambled(plain[length - 1]);
    if (TrimmedAtEnds(first) || TrimmedAtEnds(last))
        return false;
    return !(length >= 2 && first == last && (first == '"' || first == '\''));
}

void FormatDecimal(int value, char *out, size_t size)
{
    snprintf(out, size, "%d", value);
}
