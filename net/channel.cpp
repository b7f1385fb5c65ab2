#include "net/channel.h"

#include "net/netio.h"
#include "net/tls.h"
#include "net/transcript.h"

int ChannelSendAll(SOCKET s, const char *buffer, int length)
{
    int result = TlsActive(s) ? TlsSendAll(s, buffer, length) : NetSendAll(s, buffer, length);
    if (result != SOCKET_ERROR)
        TranscriptBytes(s, true, buffer, length);
    return result;
}

int ChannelRecv(SOCKET s, char *buffer, int length)
{
    int kept = NetTakeKept(s, buffer, length, TlsActive(s));
    if (kept > 0)
        return kept;
    // Kept bytes were recorded when they arrived.
    int result = TlsActive(s) ? TlsRecv(s, buffer, length) : NetRecv(s, buffer, length);
    if (result != SOCKET_ERROR)
        TranscriptBytes(s, false, buffer, result);
    return result;
}

int ChannelKeep(SOCKET s, const char *bytes, int length)
{
    return NetKeep(s, bytes, length, TlsActive(s));
}

int ChannelClose(SOCKET s)
{
    TranscriptClosed(s);
    return TlsActive(s) ? TlsClose(s) : NetClose(s);
}

bool ChannelSecured(SOCKET s)
{
    return TlsActive(s);
}
