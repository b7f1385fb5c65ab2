#include "net/ftp.h"

#include "net/commandline.h"
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

// The command's wire line, in place: its length, or -1 after the refusal was reported.
static long MakeLine(char *command, size_t capacity, UINT breakText)
{
    long length = MakeCommandLine(command, capacity);
    if (length == kCommandHoldsBreak)
        return ReportRefusedText(breakText);
    if (length < 0) {
        WSASetLastError(WSAEMSGSIZE);
        return ReportWinsockError();
    }
    return length;
}

static int SendLine(const char *line, long length, SOCKET control)
{
    if (NetSendAll(control, line, (int)length) == SOCKET_ERROR)
        return ReportWinsockError();
    return 0;
}

int SendCommand(char *command, size_t capacity, UINT breakText, SOCKET control)
{
    long length = MakeLine(command, capacity, breakText);
    return length < 0 ? -1 : SendLine(command, length, control);
}

static int ExpectOneOf(int wanted, int alsoWanted, char *buffer, SOCKET control)
{
    int code = ReadReply(kReplySize, buffer, control);
    if (code == -1)
        return -1;
    return code == wanted || code == alsoWanted ? 0 : ReportServerError(buffer);
}

int ExpectReply(int wanted, char *buffer, SOCKET control)
{
    return ExpectOneOf(wanted, wanted, buffer, control);
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

SOCKET OpenDataConnection(char *transferCommand, size_t capacity, UINT breakText,
                          SOCKET control)
{
    long length = MakeLine(transferCommand, capacity, breakText);
    if (length < 0)
        return INVALID_SOCKET;
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
    if (SendCommand(reply, sizeof reply, 0, control) != 0 ||
        ExpectReply(200, reply, control) != 0)
        return INVALID_SOCKET;
    // A server that connected at PORT time answers 125 (RFC 959): its connection waits in
    // the backlog as well.
    if (SendLine(transferCommand, length, control) != 0 ||
        ExpectOneOf(150, 125, reply, control) != 0)
        return INVALID_SOCKET;
    SOCKET data = NetAccept(listener);
    if (data == INVALID_SOCKET)
        return ReportWinsockError(), INVALID_SOCKET;
    if (NetClose(listener) != 0)
        return ReportWinsockError(), INVALID_SOCKET;
    return data;
}
