// Message boxes for failed exchanges.
#ifndef OVRA_REPORT_H
#define OVRA_REPORT_H

#include <windows.h>

// A box whose caption and text come from the string table, after a beep of its icon type.
int ShowMessage(UINT style, UINT captionId, UINT textId, HWND owner);
// The same with a text of its own.
int ShowText(UINT style, UINT captionId, const char *text, HWND owner);
// The same with the text of string formatId, whose one %s names a file.
int ShowFileMessage(UINT style, UINT captionId, UINT formatId, const char *path, HWND owner);
// The same with a text of its own.
int ShowText(UINT style, UINT captionId, const char *text, HWND owner);
// The same with the text of string formatId, whose one %s names a file.
int ShowFileMessage(UINT style, UINT captionId, UINT formatId, const char *path, HWND owner);
// Ends a failed exchange: watchdog off, busy mode off, the socket error box, socket reset.
int ReportWinsockError(void);
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
// Loads a string-table text into text (size bytes); "[id] Unknown error" when it is missing.
void LoadMessageText(UINT id, char *text, int size);

#endif
