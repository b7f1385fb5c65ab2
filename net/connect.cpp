#include "net/connect.h"

#include "net/netio.h"
#include "net/report.h"

// Host names are tried first; a dotted address only when the name look-up failed.
static int ResolveHost(const char *host, struct in_addr *address)
{
    char buffer[MAXGETHOSTSTRUCT];
    struct hostent *entry = NetGetHostByName(host, buffer);
    if (entry != nullptr) {
        *address = *(struct in_addr *)entry->h_addr_list[0];
        return 0;
    }
    int lookupError = WSAGetLastError();
    if (NetWaitFailed(lookupError) || host == nullptr)
        return -1;
    unsigned long dotted = inet_addr(host);
    if (dotted == INADDR_NONE) {
        WSASetLastError(lookupError);
        return -1;
    }
    address->s_addr = dotted;
    return 0;
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

// A socket that failed to connect stays open until the reset that the report makes.
static SOCKET TryConnect(int type, int protocol, const struct sockaddr_in *address)
{
    SOCKET s = NetSocket(AF_INET, type, protocol);
    if (s == INVALID_SOCKET ||
        NetConnect(s, (const struct sockaddr *)address, sizeof *address) != 0)
        return INVALID_SOCKET;
    return s;
}

SOCKET TryConnectAddress(const struct sockaddr_in *address)
{
    return TryConnect(SOCK_STREAM, IPPROTO_TCP, address);
}


SOCKET TryConnectService(const char *protocol, const char *service, const char *host,
                         unsigned port)
{
    struct sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons((u_short)port);
    if (ResolveHost(host, &address.sin_addr) != 0 ||
        (port == 0 && ResolvePort(service, protocol, &address.sin_port) != 0))
        return INVALID_SOCKET;
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
