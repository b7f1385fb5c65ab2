// FTP reply framing and the PORT line. Platform-free.
#ifndef OVRA_REPLY_H
#define OVRA_REPLY_H

#include <stddef.h>

enum { kReplySize = 2048 };  // a reply's buffer, the terminator included

// The code of the reply at the start of text: its first three characters read the way
// atol reads (blanks skipped, optional sign, digits); 0 when there are no digits.
int ReplyCode(const char *text);

// Whether the bytes received so far (length bytes, terminated at length) hold a whole
// reply: they end in CR LF, and either the fourth character is a blank or the closing
// line "CR LF <same three characters> blank" has arrived.
bool ReplyComplete(const char *text, size_t length);

// The same test made byte by byte, for a reply of any length: only its first four bytes and
// its last six are kept. Start from a zeroed ReplyEnd.
struct ReplyEnd {
    size_t length;  // bytes taken
    char head[4];
    char tail[6];   // the last six bytes, oldest first
    bool closingSeen;
};
// Takes the next byte: true when the bytes taken so far hold a whole reply.
bool ReplyEndsAfter(ReplyEnd *end, char byte);

// Where replies come from: receive takes at most room bytes into buffer (the count, 0 at
// the end of the stream, or -1); keep takes back bytes received past a reply's end, which
// the next receive then hands out first (0, or -1 when they cannot be kept).
struct ReplySource {
    int (*receive)(void *context, char *buffer, int room);
    int (*keep)(void *context, const char *bytes, int count);
    void *context;
};

// Reads one reply of any length: receives until a whole reply has arrived (the first point
// at which the bytes so far hold one, whatever an arrival holds after it: that is kept for
// the next reply) or the stream ends. The buffer (capacity bytes with the terminator) holds
// as much of the reply as fits, always terminated; the rest is read and dropped. Returns
// the reply's code (never negative: a signed code counts as no code, 0), or -1 when
// receive or keep failed.
int ReadReplyFrom(const ReplySource *source, size_t capacity, char *buffer);

// "PORT h1,h2,h3,h4,p1,p2" for an address and port given in host byte order.
void FormatPortLine(unsigned long address, unsigned short port, char *out, size_t size);
// "EPRT |2|address|port|" (RFC 2428) for an IPv6 address in its text form.
void FormatExtendedPortLine(const char *address, unsigned short port, char *out, size_t size);

#endif
