// The IPv6 declarations come with winsock2.h, which must come first; the winsock.h that
// the other headers include then adds nothing.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "net/address.h"

#include <stdio.h>
#include <string.h>

static_assert(sizeof(struct sockaddr_in6) <= sizeof(((NetAddress *)nullptr)->storage),
              "a NetAddress holds an IPv6 socket address");

static const struct sockaddr_in6 *V6(const NetAddress *address)
{
    return (const struct sockaddr_in6 *)address->storage;
}

void MakeIPv4Address(const struct in_addr *host, unsigned short port, NetAddress *address)
{
    *address = {};
    address->v4.sin_family = AF_INET;
    address->v4.sin_port = htons(port);
    address->v4.sin_addr = *host;
    address->length = sizeof address->v4;
}

bool SocketAddress(SOCKET s, bool peer, NetAddress *address)
{
    *address = {};
    int size = sizeof address->storage;
    int result = peer ? getpeername(s, &address->any, &size) : getsockname(s, &address->any, &size);
    address->length = size;
    return result == 0;
}

bool IsIPv6(const NetAddress *address)
{
    return address->any.sa_family == AF_INET6;
}

// Both families keep the port at the same place.
unsigned short AddressPort(const NetAddress *address)
{
    return ntohs(address->v4.sin_port);
}

void SetAddressPort(NetAddress *address, unsigned short port)
{
    address->v4.sin_port = htons(port);
}

bool SameHost(const NetAddress *a, const NetAddress *b)
{
    if (a->any.sa_family != b->any.sa_family)
        return false;
    if (!IsIPv6(a))
        return a->v4.sin_addr.s_addr == b->v4.sin_addr.s_addr;
    return memcmp(&V6(a)->sin6_addr, &V6(b)->sin6_addr, sizeof V6(a)->sin6_addr) == 0;
}

const char *AddressBytes(const NetAddress *address, int *length)
{
    if (!IsIPv6(address)) {
        *length = sizeof address->v4.sin_addr;
        return (const char *)&address->v4.sin_addr;
    }
    *length = sizeof V6(address)->sin6_addr;
    return (const char *)&V6(address)->sin6_addr;
}

void AddressText(const NetAddress *address, bool withPort, char *text, size_t size)
{
    char host[INET6_ADDRSTRLEN] = "";
    int length;
    inet_ntop(address->any.sa_family, (void *)AddressBytes(address, &length), host, sizeof host);
    if (!withPort)
        snprintf(text, size, "%s", host);
    else
        snprintf(text, size, IsIPv6(address) ? "[%s]:%u" : "%s:%u", host, AddressPort(address));
}

void FitSocketTo(SOCKET s, const NetAddress *address)
{
    if (IsIPv6(address) && IN6_IS_ADDR_V4MAPPED(&V6(address)->sin6_addr)) {
        DWORD off = 0;
        setsockopt(s, IPPROTO_IPV6, IPV6_V6ONLY, (const char *)&off, sizeof off);
    }
}

int LookUpIPv6(const char *host, NetAddress *address)
{
    struct addrinfo hints = {};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    struct addrinfo *found = nullptr;
    int error = getaddrinfo(host, nullptr, &hints, &found);
    if (error != 0)
        return error;
    *address = {};
    memcpy(address->storage, found->ai_addr, sizeof(struct sockaddr_in6));
    address->length = sizeof(struct sockaddr_in6);
    freeaddrinfo(found);
    return 0;
}
