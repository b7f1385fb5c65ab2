// The status line stored on the server. Platform-free.
#ifndef OVRA_STATUSLINE_H
#define OVRA_STATUSLINE_H

#include <stddef.h>
#include <time.h>

// "OVRA ON " [hostName " "] address " " or "OVRA OFF ", then the local time as
// "Www Mmm DD hh:mm:ss YYYY", " ", the zone text as typed and CR LF. hostName may be null
// (no name found); both names are ignored when on is false. The day and month names are
// always English, whatever the locale. The result is cut to fit size.
void FormatStatusLine(bool on, const char *hostName, const char *address,
                      const struct tm *when, const char *zone, char *out, size_t size);

#endif
