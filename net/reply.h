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

// Receives at most room bytes into buffer: the count, 0 at the end of the stream, or -1.
typedef int (*ReceiveBytes)(void *context, char *buffer, int room);

// Reads one reply: receives until what arrived ends a whole reply, the stream ends, or the
// buffer (capacity bytes with the terminator) is full. What arrived is always terminated.
// Returns the reply's code (never negative: a signed code counts as no code, 0), or -1
// when receive failed.
int ReadReplyFrom(ReceiveBytes receive, void *context, size_t capacity, char *buffer);

// "PORT h1,h2,h3,h4,p1,p2" for an address and port given in host byte order.
void FormatPortLine(unsigned long address, unsigned short port, char *out, size_t size);

#endif
