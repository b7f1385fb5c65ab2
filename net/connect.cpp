#include "net/connect.h"

#include <string.h>

#include "net/netio.h"
#include "net/report.h"

// Host names are tried first; a dotted address only when the name look-up failed; IPv6
// last, so a host reached before is reached as before, and a failure that IPv6 cannot
// mend keeps the IPv4 look-up's code.
static int ResolveHost(const char *host, NetAddress *address)
{
    if (host != nullptr && strchr(host, ':') != nullptr) {
        // A web address writes the literal in brackets.
        char literal[kAddressTextSize];
        size_t length = strlen(host);
        if (host[0] == '[' && length >= 2 && length - 2 < sizeof literal && host[length - 1] == ']') {
            memcpy(literal, host + 1, length - 2);
            literal[length - 2] = '\0';
            host = literal;
        }
        return NetLookUpIPv6(host, address) == 0 ? 0 : -1;
    }
    char buffer[MAXGETHOSTSTRUCT];
    struct hostent *entry = NetGetHostByName(host, buffer);
    if (entry != nullptr) {
        MakeIPv4Address((struct in_addr *)entry->h_addr_list[0], 0, address);
        return 0;
    }
    int lookupError = WSAGetLastError();
    if (NetWaitFailed(lookupError) || host == nullptr)
        return -1;
    struct in_addr dotted;
    dotted.s_addr = inet_addr(host);
    if (dotted.s_addr != INADDR_NONE) {
        MakeIPv4Address(&dotted, 0, address);
        return 0;
    }
    if (NetLookUpIPv6(host, address) == 0)
        return 0;
    if (!NetWaitFailed(WSAGetLastError()))
        WSASetLastError(lookupError);
    return -1;
}

// Without a services-database entry the services Ovra uses keep their usual ports.
static int ResolvePort(const char *service, const char *protocol, u_short *port)
{
    struct servent *entry = getservbyname(service, protocol);
    if (entry != nullptr) {
        *port = entry->s_port;
        return 0;
    }
    static const struct {
        const char *name;
        u_short port;
    } known[] = {{"http", 80}, {"https", 443}, {"finger", 79}, {"ftp", 21},
                 {"ssh", 22}};
    for (const auto &k : known) {
        if (lstrcmpiA(service, k.name) == 0) {
            *port = htons(k.port);
            return 0;
        }
    }
    return -1;
}

SOCKET AddressSocket(const NetAddress *address, int type, int protocol)
{
    SOCKET s = NetSocket(address->any.sa_family, type, protocol);
    if (s != INVALID_SOCKET)
        FitSocketTo(s, address);
    return s;
}

// A socket that failed to connect stays open until the reset that the report makes.
static SOCKET TryConnect(int type, int protocol, const NetAddress *address)
{
    SOCKET s = AddressSocket(address, type, protocol);
    if (s == INVALID_SOCKET || NetConnect(s, &address->any, address->length) != 0)
        return INVALID_SOCKET;
    return s;
}

SOCKET TryConnectAddress(const NetAddress *address)
{
    return TryConnect(SOCK_STREAM, IPPROTO_TCP, address);
}


SOCKET TryConnectService(const char *protocol, const char *service, const char *host,
                         unsigned port)
{
    NetAddress address;
    u_short servicePort = htons((u_short)port);
    if (ResolveHost(host, &address) != 0 ||
        (port == 0 && ResolvePort(service, protocol, &servicePort) != 0))
        return INVALID_SOCKET;
    SetAddressPort(&address, ntohs(servicePort));
    struct protoent *proto = getprotobyname(protocol);
    if (proto == nullptr)
        return INVALID_SOCKET;
    int type = lstrcmpiA(protocol, "tcp") == 0 ? SOCK_STREAM : SOCK_DGRAM;
    return TryConnect(type, proto->p_proto, &address);
}

SOCKET ConnectService(const char *protocol, const char *service, const char *host, unsigned port)
{
    SOCKET s = TryConnectService(protocol, service, host, port);
    if (s == INVALID_SOCKET)
        ReportWinsockError();
    return s;
}
