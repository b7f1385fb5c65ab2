#include "net/reply.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int ReplyCode(const char *text)
{
    char code[4] = {0, 0, 0, 0};
    for (int i = 0; i < 3 && text[i] != '\0'; i++)
        code[i] = text[i];
    return (int)atol(code);
}

bool ReplyComplete(const char *text, size_t length)
{
    if (length < 2 || text[length - 2] != '\r' || text[length - 1] != '\n')
        return false;
    if (length >= 4 && text[3] == ' ')
        return true;
    if (length < 3)
        return false;
    char marker[7] = {'\r', '\n', text[0], text[1], text[2], ' ', '\0'};
    // The marker starts with CR LF, so only a later line can match it.
    for (size_t i = 0; i + 6 <= length; i++) {
        if (memcmp(text + i, marker, 6) == 0)
            return true;
    }
    return false;
}

void FormatPortLine(unsigned long address, unsigned short port, char *out, size_t size)
{
    snprintf(out, size, "PORT %lu,%lu,%lu,%lu,%u,%u", (address >> 24) & 0xFF,
             (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF,
             (unsigned)(port >> 8), (unsigned)(port & 0xFF));
}

int ReadReplyFrom(ReceiveBytes receive, void *context, size_t capacity, char *buffer)
{
    size_t position = 0;
    buffer[0] = '\0';
    while (position + 1 < capacity) {
        int count = receive(context, buffer + position, (int)(capacity - 1 - position));
        if (count < 0)
            return -1;
        position += (size_t)count;
        buffer[position] = '\0';
        if (count == 0 || ReplyComplete(buffer, position))
            break;
    }
    // A reply such as "-1 ..." must not pass for the failure result.
    int code = ReplyCode(buffer);
    return code < 0 ? 0 : code;
}
