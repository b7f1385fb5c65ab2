// Socket calls that wait without freezing the window.
//
// Winsock 1.1 kept the window alive during a blocking call through its blocking hook;
// today's Winsock (and Wine) has none, so every call that may wait runs on a non-blocking
// socket and dispatches the thread's messages until its event arrives. The watchdog's
// WM_TIMER, painting, menus and nested dialogs keep working meanwhile.
//
// One call waits at a time: a call made while another waits fails with WSAEINPROGRESS,
// as a second blocking call did under Winsock 1.1. Every failure returns SOCKET_ERROR
// (or INVALID_SOCKET) with the code set for WSAGetLastError.
#ifndef OVRA_NETIO_H
#define OVRA_NETIO_H

#include <winsock.h>

#include "net/address.h"

// Socket library start and end (WSAStartup 1.1 / WSACleanup). Return 0 or the error.
int NetStartup(void);
int NetCleanup(void);

// After a reported failure: closes every socket still open, ends any waiting call quietly,
// then restarts the socket library. SOCKET_ERROR (code set) when the restart itself failed.
int NetRestart(void);

// The window is going away under a waiting exchange: close its sockets and let it end
// quietly, without a box and without touching the window.
void NetAbandon(void);

// The error of a call that waited while its exchange was abandoned: the failure has no box
// of its own (the reporters pass it by). Not a Winsock code.
enum { kNetAbandoned = 19999 };

// Whether a failed call failed as a wait (cut off by the watchdog, refused because another
// call waits, or abandoned) rather than with an answer of its own, such as a look-up's
// "no such name": such a failure ends the exchange.
bool NetWaitFailed(int code);

// The watchdog: ends the waiting call with WSAEINTR. Fails with WSAEINVAL when none waits.
int NetCancelWait(void);

// Until called again with 0, every call that waits ends after milliseconds with
// WSAETIMEDOUT (the watchdog still bounds the whole exchange). A restart clears it.
void NetLimitWaits(unsigned milliseconds);

SOCKET NetSocket(int family, int type, int protocol);
int NetClose(SOCKET s);
int NetConnect(SOCKET s, const struct sockaddr *address, int length);
// Sends every byte of the buffer, or fails.
int NetSendAll(SOCKET s, const char *buffer, int length);
// Waits for at least one byte or the end of the stream; returns the count (0 at the end).
int NetRecv(SOCKET s, char *buffer, int length);
// Accepts only a peer whose host is from's: any other is closed at once and the wait goes
// on. turnedAway counts those, so that a caller can say why a wait ran out.
SOCKET NetAccept(SOCKET listener, const NetAddress *from, int *turnedAway);

// Waits until one of events (FD_READ, FD_WRITE, FD_CLOSE) is signalled on s, for a caller
// that makes its own calls on the non-blocking socket (libssh2). An event is only a hint:
// the caller tries again and may wait again.
int NetWaitSocket(SOCKET s, long events);

// Bytes a reader received on s past what it needed, kept for its next read until s closes.
// secured says which layer read them (TLS's plain text, or the socket's own bytes): taken on
// the other layer, they are dropped.
int NetKeep(SOCKET s, const char *bytes, int length, bool secured);
// Moves up to room kept bytes into buffer: the count, 0 when none are kept.
int NetTakeKept(SOCKET s, char *buffer, int room, bool secured);

// Name look-ups. The buffer receives the host entry and must hold MAXGETHOSTSTRUCT bytes.
struct hostent *NetGetHostByName(const char *name, char *buffer);
struct hostent *NetGetHostByAddr(const NetAddress *address, char *buffer);
// The same reverse look-up in two halves, so that it runs while the caller waits for other
// things: the start gives its task (null when it cannot start, code set), the finish waits
// for the answer if it has not come yet, as NetGetHostByAddr does, and ends the look-up.
// A look-up not finished is given up by NetDropLookup, or by a reset or an abandon.
HANDLE NetStartHostByAddr(const NetAddress *address);
struct hostent *NetFinishLookup(HANDLE task, char *buffer);
void NetDropLookup(HANDLE task);
// A host's IPv6 address (LookUpIPv6, on a thread of its own), waited for as the look-ups
// above are: 0, or SOCKET_ERROR with the code set.
int NetLookUpIPv6(const char *host, NetAddress *address);

// A layer that keeps state per socket (TLS) is told of every socket closed here, a reset's
// included, before its handle can be reused.
typedef void (*NetCloseHook)(SOCKET s);
void NetSetCloseHook(NetCloseHook hook);

// For tests: sockets opened through this layer and not yet closed, and look-ups started and
// neither finished nor given up.
int NetOpenSocketCount(void);
int NetStartedLookupCount(void);

#endif
