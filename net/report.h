// How a failed exchange ends: its last stage (net/exchange.h), then a box, then the socket
// library reset. Each returns -1, for the caller to return in turn.
#ifndef OVRA_REPORT_H
#define OVRA_REPORT_H

#include <windows.h>

#include "app/message.h"
#include "net/reply.h"
// What a failed exchange leaves on the server and should take away while its connection
// may still answer: run once by the next report of a failure (not of a wait cut off or
// abandoned), before its box; a null cleanup withdraws it.
typedef void (*FailureCleanup)(void *context);
void SetFailureCleanup(FailureCleanup cleanup, void *context);

// Ends a failed exchange: watchdog off, busy mode off, the socket error box (with the line
// of string hintId under it when one is given), socket reset.
int ReportWinsockError(UINT hintId = 0);
// Ends an exchange the server answered unexpectedly; the box shows the reply itself (a text
// of its own when nothing arrived) and, when a string id is given, a line under it (which
// setting would help).
int ReportServerError(const char *reply, UINT hintId = 0);
// Ends a failed exchange with a box of the given caption and text.
int ReportFailureText(UINT captionId, const char *text);
// The same with a string-table text, which may show status as "%08lX".
int ReportFailure(UINT captionId, UINT textId, long status);
// Ends an exchange that refused to send a text: the box shows string textId.
int ReportRefusedText(UINT textId);
// Ends an exchange the user chose to end: no box, nothing more sent.
int EndExchangeQuietly(void);
// WM_TIMER of the watchdog: cuts off the waiting call; with none waiting, the exchange
// ends as a failed one (the box says why nothing was cut off).
int WatchdogExpired(void);

// Postings nobody started run quietly: while quiet, the failure is kept, not shown (a box
// would hold back every later posting until someone clicked it).
struct QuietFailure {
    int socketError;         // 0: the failure was no socket error
    bool fromServer;         // the server's unexpected reply is in reply
    char reply[kReplySize];
    UINT caption;            // the box it would have shown
    char text[kReplySize + kMessageLineSize + 8];
};
// Starting to be quiet forgets the failure kept before.
void SetQuietReports(bool quiet);
const QuietFailure *KeptFailure(void);

#endif
