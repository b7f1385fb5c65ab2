// Message boxes for failed exchanges.
#ifndef OVRA_REPORT_H
#define OVRA_REPORT_H

#include <windows.h>

// A box whose caption and text come from the string table, after a beep of its icon type.
int ShowMessage(UINT style, UINT captionId, UINT textId, HWND owner);
// Ends a failed exchange: watchdog off, busy mode off, the socket error box, socket reset.
int ReportWinsockError(void);
// Ends an exchange the server answered unexpectedly; the box shows the reply itself (a
// text of its own when nothing arrived).
int ReportServerError(const char *reply);
// Ends an exchange that refused to send a text: the box shows string textId.
int ReportRefusedText(UINT textId);

#endif
