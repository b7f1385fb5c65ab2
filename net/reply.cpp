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

// The closing line's start (CR LF, the opening code, a blank) as the last six bytes. It
// starts with CR LF, so only a later line can match it.
static bool EndsInClosingLineStart(const ReplyEnd *end)
{
    const char marker[6] = {'\r', '\n', end->head[0], end->head[1], end->head[2], ' '};
    return end->length >= sizeof marker && memcmp(end->tail, marker, sizeof marker) == 0;
}

bool ReplyEndsAfter(ReplyEnd *end, char byte)
{
    if (end->length < sizeof end->head)
        end->head[end->length] = byte;
    end->length++;
    memmove(end->tail, end->tail + 1, sizeof end->tail - 1);
    end->tail[sizeof end->tail - 1] = byte;
    if (EndsInClosingLineStart(end))
        end->closingSeen = true;
    if (end->length < 2 || end->tail[4] != '\r' || end->tail[5] != '\n')
        return false;
    return (end->length >= 4 && end->head[3] == ' ') || end->closingSeen;
}

bool ReplyComplete(const char *text, size_t length)
{
    ReplyEnd end = {};
    bool whole = false;
    for (size_t i = 0; i < length; i++)
        whole = ReplyEndsAfter(&end, text[i]);
    return whole;
}

void FormatPortLine(unsigned long address, unsigned short port, char *out, size_t size)
{
    snprintf(out, size, "PORT %lu,%lu,%lu,%lu,%u,%u", (address >> 24) & 0xFF,
             (address >> 16) & 0xFF, (address >> 8) & 0xFF, address & 0xFF,
             (unsigned)(port >> 8), (unsigned)(port & 0xFF));
}

void FormatExtendedPortLine(const char *address, unsigned short port, char *out, size_t size)
{
    snprintf(out, size, "EPRT |2|%s|%u|", address, (unsigned)port);
}

// What does not fit in the caller's buffer is received here and dropped.
enum { kSpillSize = 512 };

int ReadReplyFrom(const ReplySource *source, size_t capacity, char *buffer)
{
    ReplyEnd end = {};
    size_t held = 0;
    char spill[kSpillSize];
    buffer[0] = '\0';
    for (;;) {
        bool fits = held + 1 < capacity;
        char *into = fits ? buffer + held : spill;
        int room = fits ? (int)(capacity - 1 - held) : (int)sizeof spill;
        int count = source->receive(source->context, into, room);
        if (count < 0)
            return -1;
        if (count == 0)
            break;
        int used = 0;
        bool whole = false;
        while (used < count && !whole)
            whole = ReplyEndsAfter(&end, into[used++]);
        // Kept before the terminator goes in over their first byte.
        if (used < count && source->keep(source->context, into + used, count - used) != 0)
            return -1;
        if (fits) {
            held += (size_t)used;
            buffer[held] = '\0';
        }
        if (whole)
            break;
    }
    // A reply such as "-1 ..." must not pass for the failure result.
    int code = ReplyCode(buffer);
    return code < 0 ? 0 : code;
}
