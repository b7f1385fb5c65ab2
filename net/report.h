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
// Ends a failed exchange: watchdog off, busy mode off, the socket error box, socket reset.
int ReportWinsockError(void);
// Ends an exchange the server answered unexpectedly; the box shows the reply itself.
int ReportServerError(const char *reply);

#endif
