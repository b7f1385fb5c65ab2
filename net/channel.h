// What FTP traffic goes through: a connection, plain or with TLS on it. Each call works and
// fails as its counterpart in netio.h does (SOCKET_ERROR with the code for
// WSAGetLastError); on a plain connection it is that counterpart.
#ifndef OVRA_CHANNEL_H
#define OVRA_CHANNEL_H

#include <winsock.h>

int ChannelSendAll(SOCKET s, const char *buffer, int length);
// Bytes given back with ChannelKeep come first.
int ChannelRecv(SOCKET s, char *buffer, int length);
// Gives back bytes a reader received past what it needed, for the next ChannelRecv, until
// the connection closes. Bytes kept before TLS started on it are the first bytes its
// handshake reads, never read as bytes that TLS protects.
int ChannelKeep(SOCKET s, const char *bytes, int length);
// Ends TLS with the close alert first, so the server knows the data is whole.
int ChannelClose(SOCKET s);
bool ChannelSecured(SOCKET s);

#endif
