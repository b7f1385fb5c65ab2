// The transcript of the last posting or query, kept in memory only (never on disk), and
// Edit > Last Exchange, which shows it in the pane. The exchange's own steps feed it; while
// no exchange runs, nothing is recorded.
#ifndef OVRA_TRANSCRIPT_H
#define OVRA_TRANSCRIPT_H

#include <windows.h>
#include <winsock.h>

#include "net/record.h"

// A new transcript, titled with string titleFormat filled with subject (the host, the
// query). One begun while another exchange waits (a nested one) adds to that one instead.
void TranscriptBegin(UINT titleFormat, const char *subject);
// The exchange has ended (its last stage).
void TranscriptEnd(void);
// A connection of the exchange has opened: a line of string noteFormat filled with the
// peer's address and port.
void TranscriptOpened(SOCKET s, RecordLink kind, UINT noteFormat);
void TranscriptSecured(SOCKET s);
// Bytes sent or received on s (received: 0 when the peer closed).
void TranscriptBytes(SOCKET s, bool sent, const char *bytes, int count);
void TranscriptClosed(SOCKET s);
// How the exchange ended: the first line of a failure's box, or string format filled with
// detail. The first outcome counts.
void TranscriptFailed(const char *text);
void TranscriptSucceeded(UINT format, const char *detail);
// Edit > Last Exchange: the transcript in the pane, under the title "Ovra - [Last Exchange]".
int ShowLastExchange(void);

#endif
