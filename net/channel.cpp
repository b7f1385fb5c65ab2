#include "net/channel.h"

#include "net/netio.h"
#include "net/tls.h"

int ChannelSendAll(SOCKET s, const char *buffer, int length)
{
    return TlsActive(s) ? TlsSendAll(s, buffer, length) : NetSendAll(s, buffer, length);
}

int ChannelRecv(SOCKET s, char *buffer, int length)
{
    int kept = NetTakeKept(s, buffer, length, TlsActive(s));
    if (kept > 0)
        return kept;
    return TlsActive(s) ? TlsRecv(s, buffer, length) : NetRecv(s, buffer, length);
}

int ChannelKeep(SOCKET s, const char *bytes, int length)
{
    return NetKeep(s, bytes, length, TlsActive(s));
}

int ChannelClose(SOCKET s)
{
    return TlsActive(s) ? TlsClose(s) : NetClose(s);
}

bool ChannelSecured(SOCKET s)
{
    return TlsActive(s);
}
