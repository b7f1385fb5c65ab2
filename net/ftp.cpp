#include "net/ftp.h"

#include "net/channel.h"
#include "net/commandline.h"
#include "net/connect.h"
#include "net/hint.h"
#include "net/netio.h"
#include "net/pasv.h"
#include "net/reply.h"
#include "net/report.h"
#include "net/tls.h"
#include "res/resource.h"

static int ReceiveFromControl(void *control, char *buffer, int room)
{
    return ChannelRecv(*(SOCKET *)control, buffer, room);
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
    if (ChannelSendAll(control, line, (int)length) == SOCKET_ERROR)
        return ReportWinsockError();
    return 0;
}

int SendCommand(char *command, size_t capacity, UINT breakText, SOCKET control)
{
    long length = MakeLine(command, capacity, breakText);
    return length < 0 ? -1 : SendLine(command, length, control);
}

// When a setting of Settings > Connection would avoid the refusal, the box says which.
static int ExpectOneOf(const char *command, int wanted, int alsoWanted, char *buffer,
                       SOCKET control)
{
    int code = ReadReply(kReplySize, buffer, control);
    if (code == -1)
        return -1;
    if (code == wanted || code == alsoWanted)
        return 0;
    static const UINT kHintText[] = {0, IDS_HINT_PASSIVE, IDS_HINT_SECURE};
    return ReportServerError(buffer, kHintText[HintForReply(command, buffer, ChannelSecured(control))]);
}

int ExpectReplyTo(const char *command, int wanted, char *buffer, SOCKET control)
{
    return ExpectOneOf(command, wanted, wanted, buffer, control);
}

int ExpectReply(int wanted, char *buffer, SOCKET control)
{
    return ExpectReplyTo("", wanted, buffer, control);
}

// A server that connected at PORT time answers STOR with 125 (RFC 959) instead of 150.
static int ExpectTransferStart(const char *transferCommand, char *buffer, SOCKET control)
{
    return ExpectOneOf(transferCommand, 150, 125, buffer, control);
}

// After PROT P every data connection runs under TLS too, as the client whoever connected.
static SOCKET SecureLikeControl(SOCKET data, SOCKET control)
{
    if (ChannelSecured(control) && TlsStartData(data, control) != 0)
        return INVALID_SOCKET;
    return data;
}

// A failure leaves the socket open (a reset closes it) and its code set.
static bool Listen(Listener *listener)
{
    listener->socket = NetSocket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener->socket == INVALID_SOCKET)
        return false;
    struct sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    int size = sizeof address;
    if (bind(listener->socket, (struct sockaddr *)&address, sizeof address) != 0 ||
        listen(listener->socket, 1) != 0 ||
        getsockname(listener->socket, (struct sockaddr *)&address, &size) != 0)
        return false;
    listener->port = ntohs(address.sin_port);
    return true;
}

Listener ListenAhead(void)
{
    Listener listener;
    if (!Listen(&listener) && listener.socket != INVALID_SOCKET) {
        NetClose(listener.socket);
        listener.socket = INVALID_SOCKET;
    }
    return listener;
}

bool ControlLocalAddress(SOCKET control, struct in_addr *address)
{
    struct sockaddr_in local;
    int size = sizeof local;
    if (getsockname(control, (struct sockaddr *)&local, &size) != 0)
        return false;
    *address = local.sin_addr;
    return true;
}

SOCKET OpenDataConnection(Listener *ahead, const struct in_addr *local, char *transferCommand,
                          size_t capacity, UINT breakText, SOCKET control)
{
    long length = MakeLine(transferCommand, capacity, breakText);
    if (length < 0)
        return INVALID_SOCKET;
    Listener taken = *ahead;
    ahead->socket = INVALID_SOCKET;
    if (taken.socket == INVALID_SOCKET && !Listen(&taken))
        return ReportWinsockError(), INVALID_SOCKET;
    SOCKET listener = taken.socket;
    struct in_addr address;
    if (local != nullptr)
        address = *local;
    else if (!ControlLocalAddress(control, &address))
        return ReportWinsockError(), INVALID_SOCKET;
    char reply[kReplySize];
    FormatPortLine(ntohl(address.s_addr), taken.port, reply, sizeof reply);
    if (SendCommand(reply, sizeof reply, 0, control) != 0 ||
        ExpectReplyTo("PORT", 200, reply, control) != 0)
        return INVALID_SOCKET;
    // With 125 the server's connection waits in the backlog as well.
    if (SendLine(transferCommand, length, control) != 0 ||
        ExpectTransferStart(transferCommand, reply, control) != 0)
        return INVALID_SOCKET;
    SOCKET data = NetAccept(listener);
    if (data == INVALID_SOCKET)
        return ReportWinsockError(), INVALID_SOCKET;
    if (NetClose(listener) != 0)
        return ReportWinsockError(), INVALID_SOCKET;
    return SecureLikeControl(data, control);
}

// Where the 227 reply sends the data connection, as a socket address.
static int PassiveAddress(const char *reply, SOCKET control, struct sockaddr_in *address)
{
    unsigned long offered;
    unsigned short port;
    if (!ParsePassiveReply(reply, &offered, &port))
        return ReportServerError(reply);
    struct sockaddr_in peer;
    int size = sizeof peer;
    if (getpeername(control, (struct sockaddr *)&peer, &size) != 0)
        return ReportWinsockError();
    *address = {};
    address->sin_family = AF_INET;
    address->sin_port = htons(port);
    address->sin_addr.s_addr = htonl(PassiveDataAddress(offered, ntohl(peer.sin_addr.s_addr)));
    return 0;
}

SOCKET OpenPassiveDataConnection(char *transferCommand, size_t capacity, UINT breakText,
                                 SOCKET control)
{
    long length = MakeLine(transferCommand, capacity, breakText);
    if (length < 0)
        return INVALID_SOCKET;
    char reply[kReplySize] = "PASV";
    struct sockaddr_in address;
    if (SendCommand(reply, sizeof reply, 0, control) != 0 ||
        ExpectReply(227, reply, control) != 0 || PassiveAddress(reply, control, &address) != 0)
        return INVALID_SOCKET;
    SOCKET data = ConnectAddress(&address);
    if (data == INVALID_SOCKET)
        return INVALID_SOCKET;
    // A 425 here is the server's own trouble, not a firewall that passive mode gets past:
    // no hint, so the reply is checked without the transfer command.
    if (SendLine(transferCommand, length, control) != 0 ||
        ExpectOneOf("", 150, 125, reply, control) != 0)
        return INVALID_SOCKET;
    return SecureLikeControl(data, control);
}
