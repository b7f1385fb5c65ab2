#include "net/ftp.h"

#include "app/message.h"
#include "net/channel.h"
#include "net/commandline.h"
#include "net/connect.h"
#include "net/hint.h"
#include "net/netio.h"
#include "net/pasv.h"
#include "net/reply.h"
#include "net/report.h"
#include "net/tls.h"
#include "net/transcript.h"
#include "res/resource.h"

static int ReceiveFromControl(void *control, char *buffer, int room)
{
    return ChannelRecv(*(SOCKET *)control, buffer, room);
}

// What came with the end of a reply is the start of the next one.
static int KeepForNextReply(void *control, const char *bytes, int count)
{
    return ChannelKeep(*(SOCKET *)control, bytes, count);
}

static int ReadReplyQuietly(unsigned short capacity, char *buffer, SOCKET control)
{
    ReplySource source = {ReceiveFromControl, KeepForNextReply, &control};
    return ReadReplyFrom(&source, capacity, buffer);
}

int ReadReply(unsigned short capacity, char *buffer, SOCKET control)
{
    int code = ReadReplyQuietly(capacity, buffer, control);
    return code == -1 ? ReportWinsockError() : code;
}

int ConverseQuietly(const char *verb, const char *argument, SOCKET control)
{
    char line[kReplySize];
    wsprintfA(line, "%s %s", verb, argument);
    long length = MakeCommandLine(line, sizeof line);
    if (length < 0 || ChannelSendAll(control, line, (int)length) == SOCKET_ERROR)
        return -1;
    return ReadReplyQuietly(sizeof line, line, control);
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

// The reply to command in its box; when a setting of Settings > Connection would avoid the
// refusal, the box says which.
static int ReportUnexpected(const char *command, const char *reply, SOCKET control)
{
    static const UINT kHintText[] = {0, IDS_HINT_PASSIVE, IDS_HINT_SECURE};
    return ReportServerError(reply, kHintText[HintForReply(command, reply, ChannelSecured(control))]);
}

static int ExpectOneOf(const char *command, int wanted, int alsoWanted, char *buffer,
                       SOCKET control)
{
    int code = ReadReply(kReplySize, buffer, control);
    if (code == -1)
        return -1;
    if (code == wanted || code == alsoWanted)
        return 0;
    return ReportUnexpected(command, buffer, control);
}

// A TLS 1.2 client hello of the fewest bytes (one cipher suite, no extensions): any TLS
// server answers it with a record of its own, a server hello or an alert.
static const char kClientHello[] = {
    0x16, 0x03, 0x01, 0x00, 0x2D, 0x01, 0x00, 0x00, 0x29, 0x03, 0x03,
    'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a',
    'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a', 'O', 'v', 'r', 'a',
    0x00, 0x00, 0x02, (char)0xC0, 0x30, 0x01, 0x00};

// A silent server that answers the hello with a TLS record (within 5 s) waits for TLS from
// the first byte.
static bool AnswersTls(SOCKET control)
{
    char answer[3];
    int count = 0;
    NetLimitWaits(kDataWaitLimit / 3);
    if (NetSendAll(control, kClientHello, sizeof kClientHello) == SOCKET_ERROR)
        return false;
    while (count < 3) {
        int got = NetRecv(control, answer + count, 3 - count);
        if (got <= 0)
            return false;
        count += got;
    }
    return (answer[0] == 0x15 || answer[0] == 0x16) && answer[1] == 0x03;
}

int ExpectGreeting(char *buffer, SOCKET control)
{
    NetLimitWaits(kDataWaitLimit);
    int code = ReadReplyQuietly(kReplySize, buffer, control);
    bool silent = code == -1 && WSAGetLastError() == WSAETIMEDOUT;
    bool tls = silent && AnswersTls(control);
    NetLimitWaits(0);
    if (silent) {
        char text[kMessageLineSize];
        LoadMessageText(tls ? IDS_GREETING_TLS : IDS_NO_GREETING, text, sizeof text);
        return ReportServerError(text, tls ? IDS_HINT_IMPLICIT : 0);
    }
    if (code == -1)
        return ReportWinsockError();
    return code == 220 ? 0 : ReportUnexpected("", buffer, control);
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

struct Listener {
    SOCKET socket;
    unsigned short port;
};

// On our end's address of the control connection only: that is where PORT sends the server,
// and no other interface offers the port. A failure leaves the socket open (a reset closes
// it) and its code set.
static bool Listen(const NetAddress *local, Listener *listener)
{
    NetAddress address = *local;
    SetAddressPort(&address, 0);
    listener->socket = AddressSocket(&address, SOCK_STREAM, IPPROTO_TCP);
    if (listener->socket == INVALID_SOCKET)
        return false;
    if (bind(listener->socket, &address.any, address.length) != 0 ||
        listen(listener->socket, 1) != 0 || !SocketAddress(listener->socket, false, &address))
        return false;
    listener->port = AddressPort(&address);
    return true;
}

bool ControlLocalAddress(SOCKET control, NetAddress *address)
{
    return SocketAddress(control, false, address);
}

// The control connection's peer: the only host a data connection may be with.
static bool ServerAddress(SOCKET control, NetAddress *server)
{
    return SocketAddress(control, true, server);
}

// A data connection that did not come, with the setting that may get past what stopped it.
static int ReportDataFailure(UINT textId, const char *argument, UINT hintId)
{
    char format[kMessageLineSize], text[kMessageLineSize + 32];
    LoadMessageText(textId, format, sizeof format);
    wsprintfA(text, format, argument);
    return ReportServerError(text, hintId);
}

// The server's own connection: whoever else connects to the port first is closed unread
// and the wait goes on, so the status line reaches nobody but the server.
static SOCKET AcceptFromServer(SOCKET listener, SOCKET control)
{
    NetAddress server;
    if (!ServerAddress(control, &server))
        return ReportWinsockError(), INVALID_SOCKET;
    int turnedAway = 0;
    NetLimitWaits(kDataWaitLimit);
    SOCKET data = NetAccept(listener, &server, &turnedAway);
    NetLimitWaits(0);
    if (data != INVALID_SOCKET)
        return data;
    int code = WSAGetLastError();
    if (code != WSAETIMEDOUT && !(turnedAway > 0 && code == WSAEINTR))
        return ReportWinsockError(), INVALID_SOCKET;
    UINT text = turnedAway > 0 ? IDS_DATA_OTHERS_ONLY : IDS_DATA_NOT_ARRIVED;
    return ReportDataFailure(text, "", IDS_HINT_PASSIVE), INVALID_SOCKET;
}

// PORT on IPv4, EPRT on IPv6 (where PORT has no form).
static void FormatListenerLine(const NetAddress *address, unsigned short port, char *line)
{
    if (!IsIPv6(address)) {
        FormatPortLine(ntohl(address->v4.sin_addr.s_addr), port, line, kReplySize);
        return;
    }
    char text[kAddressTextSize];
    AddressText(address, false, text, sizeof text);
    FormatExtendedPortLine(text, port, line, kReplySize);
}

SOCKET OpenDataConnection(const NetAddress *local, char *transferCommand,
                          size_t capacity, UINT breakText, SOCKET control)
{
    long length = MakeLine(transferCommand, capacity, breakText);
    if (length < 0)
        return INVALID_SOCKET;
    NetAddress address;
    if (local != nullptr)
        address = *local;
    else if (!ControlLocalAddress(control, &address))
        return ReportWinsockError(), INVALID_SOCKET;
    Listener listener;
    if (!Listen(&address, &listener))
        return ReportWinsockError(), INVALID_SOCKET;
    char reply[kReplySize];
    FormatListenerLine(&address, listener.port, reply);
    if (SendCommand(reply, sizeof reply, 0, control) != 0 ||
        ExpectReplyTo(IsIPv6(&address) ? "EPRT" : "PORT", 200, reply, control) != 0)
        return INVALID_SOCKET;
    // With 125 the server's connection waits in the backlog as well.
    if (SendLine(transferCommand, length, control) != 0 ||
        ExpectTransferStart(transferCommand, reply, control) != 0)
        return INVALID_SOCKET;
    SOCKET data = AcceptFromServer(listener.socket, control);
    if (data == INVALID_SOCKET)
        return INVALID_SOCKET;
    TranscriptOpened(data, kLinkData, IDS_LAST_DATA_FROM);
    if (NetClose(listener.socket) != 0)
        return ReportWinsockError(), INVALID_SOCKET;
    return SecureLikeControl(data, control);
}

// Where the 227 reply (or a 229 one) sends the data connection: to the server, at the port
// it names. The address a 227 names is not used, so a server can send the connection to no
// other host.
static int PassiveAddress(const char *reply, SOCKET control, NetAddress *address)
{
    unsigned long offered;
    unsigned short port;
    bool parsed = ReplyCode(reply) == 229 ? ParseExtendedPassiveReply(reply, &port)
                                          : ParsePassiveReply(reply, &offered, &port);
    if (!parsed)
        return ReportServerError(reply);
    if (!ServerAddress(control, address))
        return ReportWinsockError();
    SetAddressPort(address, port);
    return 0;
}

static int ExtendedPassiveMode(char *reply, SOCKET control)
{
    lstrcpyA(reply, "EPSV");
    if (SendCommand(reply, kReplySize, 0, control) != 0)
        return -1;
    return ExpectReply(229, reply, control);
}

// EPSV on IPv6, where PASV has no answer; else PASV, and EPSV when the server refuses that
// (some allow only the extended form).
static int EnterPassiveMode(bool ipv6, char *reply, SOCKET control)
{
    if (ipv6)
        return ExtendedPassiveMode(reply, control);
    lstrcpyA(reply, "PASV");
    if (SendCommand(reply, kReplySize, 0, control) != 0)
        return -1;
    int code = ReadReply(kReplySize, reply, control);
    if (code == 227 || code == -1)
        return code == -1 ? -1 : 0;
    if (code != 500 && code != 501 && code != 502)
        return ReportUnexpected("", reply, control);
    return ExtendedPassiveMode(reply, control);
}

// A connection that did not come in time names the address, which a relay or a firewall
// between may not pass; any other failure has its own code.
static int ReportPassiveFailure(const NetAddress *address)
{
    if (WSAGetLastError() != WSAETIMEDOUT)
        return ReportWinsockError();
    char named[kAddressTextSize];
    AddressText(address, true, named, sizeof named);
    return ReportDataFailure(IDS_DATA_NO_CONNECT, named, IDS_HINT_ACTIVE);
}

SOCKET OpenPassiveDataConnection(char *transferCommand, size_t capacity, UINT breakText,
                                 SOCKET control)
{
    long length = MakeLine(transferCommand, capacity, breakText);
    if (length < 0)
        return INVALID_SOCKET;
    char reply[kReplySize];
    NetAddress address;
    if (!ServerAddress(control, &address))
        return ReportWinsockError(), INVALID_SOCKET;
    if (EnterPassiveMode(IsIPv6(&address), reply, control) != 0 ||
        PassiveAddress(reply, control, &address) != 0)
        return INVALID_SOCKET;
    NetLimitWaits(kDataWaitLimit);
    SOCKET data = TryConnectAddress(&address);
    NetLimitWaits(0);
    if (data == INVALID_SOCKET)
        return ReportPassiveFailure(&address), INVALID_SOCKET;
    TranscriptOpened(data, kLinkData, IDS_LAST_DATA_TO);
    // A 425 here is the server's own trouble, not a firewall that passive mode gets past:
    // no hint, so the reply is checked without the transfer command.
    if (SendLine(transferCommand, length, control) != 0 ||
        ExpectOneOf("", 150, 125, reply, control) != 0)
        return INVALID_SOCKET;
    return SecureLikeControl(data, control);
}
