#include "net/ftp.h"

#include <string.h>

#include "net/netio.h"
#include "net/reply.h"
#include "net/report.h"

static int ReceiveFromControl(void *control, char *buffer, int room)
{
    return NetRecv(*(SOCKET *)control, buffer, room);
}

int ReadReply(unsigned short capacity, char *buffer, SOCKET control)
{
    int code = ReadReplyFrom(ReceiveFromControl, &control, capacity, buffer);
    return code == -1 ? ReportWinsockError() : code;
}

int SendCommand(char *command, SOCKET control)
{
    strcat(command, "\r\n");
    if (NetSendAll(control, command, (int)strlen(command)) == SOCKET_ERROR)
        return ReportWinsockError();
    return 0;
}

int ExpectReply(int wanted, char *buffer, SOCKET control)
{
    int code = ReadReply(kReplySize, buffer, control);
    if (code == -1)
        return -1;
    return code == wanted ? 0 : ReportServerError(buffer);
}

static SOCKET Listen(unsigned short *port)
{
    SOCKET listener = NetSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        return INVALID_SOCKET;
    struct sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    int size = sizeof address;
    if (bind(listener, (struct sockaddr *)&address, sizeof address) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, (struct sockaddr *)&address, &size) != 0)
        return INVALID_SOCKET;
    *port = ntohs(address.sin_port);
    return listener;
}

SOCKET OpenDataConnection(char *transferCommand, SOCKET control)
{
    unsigned short port;
    SOCKET listener = Listen(&port);
    if (listener == INVALID_SOCKET)
        return ReportWinsockError(), INVALID_SOCKET;
    struct sockaddr_in local;
    int size = sizeof local;
    if (getsockname(control, (struct sockaddr *)&local, &size) != 0)
        return ReportWinsockError(), INVALID_SOCKET;
    char reply[kReplySize];
    FormatPortLine(ntohl(local.sin_addr.s_addr), port, reply, sizeof reply);
    if (SendCommand(reply, control) != 0 || ExpectReply(200, reply, control) != 0)
        return INVALID_SOCKET;
    if (SendCommand(transferCommand, control) != 0 || ExpectReply(150, reply, control) != 0)
        return INVALID_SOCKET;
    SOCKET data = NetAccept(listener);
    if (data == INVALID_SOCKET)
        return ReportWinsockError(), INVALID_SOCKET;
    if (NetClose(listener) != 0)
        return ReportWinsockError(), INVALID_SOCKET;
    return data;
}
