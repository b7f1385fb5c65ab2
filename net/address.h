// Socket addresses of either family: IPv4 as before, and IPv6 for hosts that have only
// that. Everything that looks inside an address is here.
#ifndef OVRA_ADDRESS_H
#define OVRA_ADDRESS_H

#include <winsock.h>

#include <stddef.h>

// A sockaddr_in or a sockaddr_in6, as the socket calls take it.
struct NetAddress {
    union {
        struct sockaddr any;
        struct sockaddr_in v4;
        unsigned char storage[28];  // a sockaddr_in6
        long long align;
    };
    int length;
};

// Room for an address as text: an IPv6 address with an embedded IPv4 one, or
// "[address]:port".
enum { kAddressTextSize = 64 };

// An IPv4 address (network byte order) and a port (host order).
void MakeIPv4Address(const struct in_addr *host, unsigned short port, NetAddress *address);
// Our end (peer false) or the other end of a connected socket; false with the code set.
bool SocketAddress(SOCKET s, bool peer, NetAddress *address);
bool IsIPv6(const NetAddress *address);
unsigned short AddressPort(const NetAddress *address);
void SetAddressPort(NetAddress *address, unsigned short port);
// The same host, whatever the ports.
bool SameHost(const NetAddress *a, const NetAddress *b);
// The host's own bytes (4 or 16) and their count, as a reverse look-up takes them.
const char *AddressBytes(const NetAddress *address, int *length);
// The host as text: dotted, or IPv6's own form. withPort adds ":port" ("[...]:port").
void AddressText(const NetAddress *address, bool withPort, char *text, size_t size);

// An IPv6 socket for an IPv4 address in IPv6 form ("::ffff:a.b.c.d") is made to take both
// families, as it must to reach that host at all; other sockets are left as they are.
void FitSocketTo(SOCKET s, const NetAddress *address);

// The IPv6 address of a name or a literal (getaddrinfo): 0, or the Winsock error. It
// blocks: the socket layer runs it on a thread of its own.
int LookUpIPv6(const char *host, NetAddress *address);

#endif
