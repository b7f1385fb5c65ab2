#include "net/channel.h"

#include "net/netio.h"
#include "net/tls.h"

int ChannelSendAll(SOCKET s, const char *buffer, int length)
{
    return TlsActive(s) ? TlsSendAll(s, buffer, length) : NetSendAll(s, buffer, length);
}

int ChannelRecv(SOCKET s, char *buffer, int length)
{
    return TlsActive(s) ? TlsRecv(s, buffer, length) : NetRecv(s, buffer, length);
}

int ChannelClose(SOCKET s)
{
    return TlsActive(s) ? TlsClose(s) : NetClose(s);
}

bool ChannelSecured(SOCKET s)
{
    return TlsActive(s);
}
