// Line ends of a query answer: servers may end lines with a bare LF, the pane needs CR LF.
// Platform-free.
#ifndef OVRA_LINEENDS_H
#define OVRA_LINEENDS_H

#include <stddef.h>

// Copies received[0..count] (the terminator at received[count] included) to display,
// turning every LF that is not preceded by CR in the received bytes into CR LF. display
// must hold 2 * count + 1 bytes. Returns the bytes written, the terminator included.
size_t ExpandLineFeeds(const char *received, size_t count, char *display);

#endif
