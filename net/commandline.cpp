#include "net/commandline.h"

#include <string.h>

long MakeCommandLine(char *buffer, size_t capacity)
{
    size_t length = strlen(buffer);
    if (strpbrk(buffer, "\r\n") != nullptr)
        return kCommandHoldsBreak;
    size_t doubled = 0;
    for (size_t i = 0; i < length; i++)
        doubled += (unsigned char)buffer[i] == 0xFF;
    size_t lineLength = length + doubled + 2;
    if (lineLength >= capacity)
        return kCommandTooLong;
    buffer[lineLength] = '\0';
    buffer[lineLength - 1] = '\n';
    buffer[lineLength - 2] = '\r';
    // From the end backwards, so every byte moves before its place is written over.
    for (size_t from = length, to = length + doubled; from > 0; from--) {
        buffer[--to] = buffer[from - 1];
        if ((unsigned char)buffer[from - 1] == 0xFF)
            buffer[--to] = buffer[from - 1];
    }
    return (long)lineLength;
}
