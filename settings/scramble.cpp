#include "settings/scramble.h"

#include <stdio.h>

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

void FormatDecimal(int value, char *out, size_t size)
{
    snprintf(out, size, "%d", value);
}
