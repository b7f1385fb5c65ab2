// Opening a TCP connection by service and host name.
#ifndef OVRA_CONNECT_H
#define OVRA_CONNECT_H

#include <winsock.h>

// A connected socket, or INVALID_SOCKET after the failure has been reported.
SOCKET ConnectService(const char *protocol, const char *service, const char *host);
// A TCP connection to an address and port, or INVALID_SOCKET after the failure was reported.
SOCKET ConnectAddress(const struct sockaddr_in *address);

#endif
