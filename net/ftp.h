// The FTP control connection: replies, commands and the active-mode data connection.
#ifndef OVRA_FTP_H
#define OVRA_FTP_H

#include <winsock.h>

enum { kReplySize = 2048 };

// One whole reply into buffer; returns its code, or -1 after the failure was reported.
int ReadReply(unsigned short capacity, char *buffer, SOCKET control);
// Reads a reply and checks its code: 0 when it is wanted, else -1 after the failure (or
// the unexpected reply) has been reported.
int ExpectReply(int wanted, char *buffer, SOCKET control);
// Appends CR LF to the command in its buffer and sends the line; 0, or -1 (reported).
int SendCommand(char *command, SOCKET control);
// PORT, 200, the transfer command, 150, accept: the data socket, or INVALID_SOCKET
// after the failure was reported.
SOCKET OpenDataConnection(char *transferCommand, SOCKET control);

#endif
