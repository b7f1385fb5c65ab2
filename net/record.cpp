#include "net/record.h"

#include <stdio.h>
#include <string.h>

// Where a line goes: the kept text, or the count of what did not fit.
static void Keep(Record *record, const char *bytes, size_t count)
{
    size_t room = kRecordTextSize - 1 - record->length;
    size_t kept = count < room ? count : room;
    memcpy(record->text + record->length, bytes, kept);
    record->length += kept;
    record->text[record->length] = '\0';
    record->dropped += count - kept;
}

static void KeepText(Record *record, const char *text)
{
    Keep(record, text, strlen(text));
}

static void EndOpenLine(Record *record)
{
    if (record->openLink < 0)
        return;
    KeepText(record, "\r\n");
    record->openLink = -1;
}

static int FindLink(const Record *record, uintptr_t id)
{
    for (int i = record->linkCount - 1; i >= 0; i--) {
        if (record->links[i].id == id)
            return i;
    }
    return -1;
}

static int AddLink(Record *record, uintptr_t id, RecordLink kind)
{
    int i = record->linkCount < kRecordLinks ? record->linkCount++ : kRecordLinks - 1;
    record->links[i] = {id, kind, false};
    return i;
}

// "  1.234 #2 TLS " and the direction, if any: seconds since the start, the connection.
static void KeepPrefix(Record *record, uint64_t now, int link, const char *direction)
{
    unsigned long ms = (unsigned long)((now - record->start) / 1000);
    char prefix[64];
    snprintf(prefix, sizeof prefix, "%4lu.%03lu #%d %s%s", ms / 1000, ms % 1000, link + 1,
             record->links[link].secured ? "TLS " : "", direction);
    KeepText(record, prefix);
}

void RecordBegin(Record *record, const char *title, uint64_t now)
{
    memset(record, 0, offsetof(Record, text));
    record->text[0] = '\0';
    record->length = 0;
    record->dropped = 0;
    record->linkCount = 0;
    record->openLink = -1;
    record->begun = true;
    snprintf(record->title, sizeof record->title, "%s", title);
    record->start = now;
}

void RecordOpen(Record *record, uint64_t now, uintptr_t id, RecordLink kind, const char *note)
{
    AddLink(record, id, kind);
    RecordNote(record, now, id, note);
}

void RecordNote(Record *record, uint64_t now, uintptr_t id, const char *note, bool secured)
{
    EndOpenLine(record);
    int link = FindLink(record, id);
    if (link < 0)
        link = AddLink(record, id, kLinkQuery);
    KeepPrefix(record, now, link, "");
    KeepText(record, note);
    KeepText(record, "\r\n");
    if (secured)
        record->links[link].secured = true;
}

// The command's first word, for "failed at ...".
static void NoteVerb(Record *record, const char *bytes, size_t count)
{
    size_t n = 0;
    while (n < count && n + 1 < kRecordVerbSize && bytes[n] != ' ' && bytes[n] != '\r' &&
           bytes[n] != '\n')
        n++;
    memcpy(record->verb, bytes, n);
    record->verb[n] = '\0';
}

static bool IsPassword(const char *bytes, size_t count)
{
    static const char kPass[] = "PASS ";
    if (count < sizeof kPass - 1)
        return false;
    for (size_t i = 0; i < sizeof kPass - 1; i++) {
        char c = bytes[i];
        if (c >= 'a' && c <= 'z')
            c = (char)(c - 'a' + 'A');
        if (c != kPass[i])
            return false;
    }
    return true;
}

// A byte the pane could not show as it is (a NUL would end the text) appears as \xNN.
static void KeepByte(Record *record, unsigned char c)
{
    if (c >= 32 || c == '\t') {
        Keep(record, (const char *)&c, 1);
        return;
    }
    char escaped[8];
    snprintf(escaped, sizeof escaped, "\\x%02X", c);
    KeepText(record, escaped);
}

void RecordBytes(Record *record, uint64_t now, uintptr_t id, bool sent, const char *bytes,
                 size_t count)
{
    int link = FindLink(record, id);
    if (link < 0)
        link = AddLink(record, id, kLinkQuery);
    if (record->openLink != link || record->openSent != sent)
        EndOpenLine(record);
    size_t i = 0;
    while (i < count) {
        if (record->openLink < 0) {
            KeepPrefix(record, now, link, sent ? "> " : "< ");
            record->openLink = link;
            record->openSent = sent;
            bool commands = record->links[link].kind == kLinkCommands;
            if (sent && commands)
                NoteVerb(record, bytes + i, count - i);
            if (sent && commands && IsPassword(bytes + i, count - i)) {
                KeepText(record, "PASS ****");
                while (i < count && bytes[i] != '\n')
                    i++;
                continue;
            }
        }
        unsigned char c = (unsigned char)bytes[i++];
        if (c == '\n') {
            EndOpenLine(record);
        } else if (!(c == '\r' && i < count && bytes[i] == '\n')) {
            KeepByte(record, c);
        }
    }
}

void RecordOutcome(Record *record, const char *outcome)
{
    if (record->outcome[0] == '\0')
        snprintf(record->outcome, sizeof record->outcome, "%s", outcome);
}

size_t FormatRecord(const Record *record, char *out, size_t room)
{
    if (room == 0)
        return 0;
    int head = snprintf(out, room, "%s: %s\r\n\r\n%s", record->title, record->outcome,
                        record->text);
    size_t length = head < 0 ? 0 : (size_t)head;
    if (length >= room)
        return room - 1;
    if (record->dropped > 0) {
        int more = snprintf(out + length, room - length, "%s(%lu bytes more not kept)\r\n",
                            record->openLink >= 0 ? "\r\n" : "", (unsigned long)record->dropped);
        length = more < 0 ? length : length + (size_t)more;
    }
    return length < room ? length : room - 1;
}
