// A host as FTP Login takes it: "name", "name:port", "[v6address]:port", or an IPv6
// address alone. Platform-free.
#ifndef OVRA_HOSTPORT_H
#define OVRA_HOSTPORT_H

#include <stddef.h>

// The host (without brackets) into host (size bytes) and the port it names, 0 when none.
// False when the port is not a number of 1-65535, the brackets do not close, or the host
// does not fit; then host holds text as it was, if it fits.
bool SplitHostPort(const char *text, char *host, size_t size, unsigned short *port);

#endif
