// The transcript of one exchange as it happens: every connection opened, the bytes sent and
// received on each, TLS, closes and the outcome, kept as text lines that name the time since
// the start. Platform-free: the caller gives the times, the connections' ids and the notes.
#ifndef OVRA_RECORD_H
#define OVRA_RECORD_H

#include <stddef.h>
#include <stdint.h>

enum {
    kRecordTextSize = 65536,      // lines kept; what comes after is counted, not kept
    kRecordTitleSize = 320,   // the exchange's title and its outcome
    kRecordLinks = 32,        // connections told apart; later ones share the last number
    kRecordVerbSize = 16,
};

// What a connection is for: the commands it carries (FTP control), data, or a query.
enum RecordLink { kLinkCommands, kLinkData, kLinkQuery };

struct RecordedLink {
    uintptr_t id;
    RecordLink kind;
    bool secured;
};

struct Record {
    char title[kRecordTitleSize];
    char outcome[kRecordTitleSize];
    char verb[kRecordVerbSize];  // first word of the last command sent
    char text[kRecordTextSize];
    size_t length;
    size_t dropped;             // bytes of lines that did not fit
    RecordedLink links[kRecordLinks];
    int linkCount;
    int openLink;               // the link of a line not yet ended, or -1
    bool openSent;
    bool begun;
    uint64_t start;
};

// Forgets what was kept and starts a new transcript under title; times count from now.
void RecordBegin(Record *record, const char *title, uint64_t now);
// A connection opened (later events with its id belong to it), with a note saying where to.
void RecordOpen(Record *record, uint64_t now, uintptr_t id, RecordLink kind, const char *note);
// A line of its own about connection id: TLS started on it (secured), it closed, ...
void RecordNote(Record *record, uint64_t now, uintptr_t id, const char *note, bool secured = false);
// Bytes that went over connection id, as lines. A password is never kept: a PASS command
// is kept as "PASS ****".
void RecordBytes(Record *record, uint64_t now, uintptr_t id, bool sent, const char *bytes,
                 size_t count);
// The first outcome given is kept.
void RecordOutcome(Record *record, const char *outcome);
// The transcript: its first line "title: outcome" (begun is false before any), the lines,
// CR LF after each. Returns the length, cut to fit room (terminated).
size_t FormatRecord(const Record *record, char *out, size_t room);

#endif
