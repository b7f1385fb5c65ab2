// Test-local exchanges, shaped the way postings and queries run theirs: the watchdog and
// busy mode around a connection, with the failures already reported by the layer below.
#ifndef OVRA_TEST_EXCHANGE_H
#define OVRA_TEST_EXCHANGE_H

#include <winsock.h>

#include "app/busy.h"
#include "net/connect.h"
#include "net/exchange.h"
#include "net/ftp.h"
#include "net/netio.h"
#include "net/report.h"
#include "net/watchdog.h"

// The program's first stage of an exchange, then the connection to service.
inline SOCKET OpenExchange(const char *service, const char *host)
{
    BeginExchange();
    return ConnectService("tcp", service, host);
}

// The connection closed, then the program's last stage of an exchange.
inline void CloseExchange(SOCKET s)
{
    NetClose(s);
    EndExchange();
}

// Connects to the FTP service of host and reads one reply. On success the exchange ends
// normally and the code is returned; otherwise -1, already reported.
inline int ReadOneReply(const char *host, char *reply)
{
    SOCKET s = OpenExchange("ftp", host);
    if (s == INVALID_SOCKET)
        return -1;
    int code = ReadReply(kReplySize, reply, s);
    if (code != -1)
        CloseExchange(s);
    return code;
}

#endif
