// Opening a TCP connection by service and host name. A name is looked up in IPv4 as it
// always was, and in IPv6 only when IPv4 has no address for it; an IPv6 literal goes
// straight to IPv6.
#ifndef OVRA_CONNECT_H
#define OVRA_CONNECT_H

#include <winsock.h>

#include "net/address.h"

// A connected socket, or INVALID_SOCKET after the failure has been reported. A port other
// than 0 (host order) is used instead of the service's.
SOCKET ConnectService(const char *protocol, const char *service, const char *host,
                      unsigned port = 0);
// The same without the report: INVALID_SOCKET with the code set.
SOCKET TryConnectService(const char *protocol, const char *service, const char *host,
                         unsigned port = 0);
// A TCP connection to an address and port, or INVALID_SOCKET with the code set (nothing
// reported: the caller names the address).
SOCKET TryConnectAddress(const NetAddress *address);
// A socket of this layer for the address's family (FitSocketTo), or INVALID_SOCKET with the
// code set.
SOCKET AddressSocket(const NetAddress *address, int type, int protocol);

#endif
