// The FTP control connection: replies, commands and the data connection (active or passive).
#ifndef OVRA_FTP_H
#define OVRA_FTP_H

#include <winsock.h>

enum { kReplySize = 2048 };

// One whole reply into buffer; returns its code, or -1 after the failure was reported.
int ReadReply(unsigned short capacity, char *buffer, SOCKET control);
// Reads a reply and checks its code: 0 when it is wanted, else -1 after the failure (or
// the unexpected reply) has been reported.
int ExpectReply(int wanted, char *buffer, SOCKET control);
// The same for the reply to command (its first word counts): when a setting of Settings >
// Connection would avoid the refusal, the box says which.
int ExpectReplyTo(const char *command, int wanted, char *buffer, SOCKET control);
// Appends CR LF to the command in its buffer and sends the line; 0, or -1 (reported).
int SendCommand(char *command, SOCKET control);
// PORT, 200, the transfer command, 150, accept: the data socket, or INVALID_SOCKET
// after the failure was reported. Under TLS once the control connection is.
SOCKET OpenDataConnection(char *transferCommand, SOCKET control);
// Passive mode: PASV, 227, connect to the address it names (or to the server's, when it
// names one behind NAT), the transfer command, 150.
SOCKET OpenPassiveDataConnection(char *transferCommand, SOCKET control);

#endif
