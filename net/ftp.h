// The FTP control connection: replies, commands and the data connection (active or passive).
#ifndef OVRA_FTP_H
#define OVRA_FTP_H

#include <windows.h>
#include <winsock.h>

#include "net/address.h"
#include "net/reply.h"

// A data connection that has not come after this long ends the posting with a box that
// names it; a server that sends nothing once its connection is open waits for the watchdog.
enum { kDataWaitLimit = 15000 };

// One whole reply into buffer; returns its code, or -1 after the failure was reported.
int ReadReply(unsigned short capacity, char *buffer, SOCKET control);
// "verb argument" and its reply, for what a failed posting tidies up on its way out: the
// reply's code, or -1 (nothing reported, no box).
int ConverseQuietly(const char *verb, const char *argument, SOCKET control);
// Reads a reply and checks its code: 0 when it is wanted, else -1 after the failure (or
// the unexpected reply) has been reported.
int ExpectReply(int wanted, char *buffer, SOCKET control);
// The same for the reply to command (its first word counts): when a setting of Settings >
// Connection would avoid the refusal, the box says which.
int ExpectReplyTo(const char *command, int wanted, char *buffer, SOCKET control);
// The greeting (220), which must come within kDataWaitLimit: a server that stays silent
// longer is named in the box, as one that waits for TLS (with the setting) when it answers
// a TLS client hello.
int ExpectGreeting(char *buffer, SOCKET control);
// Makes the command in its buffer (capacity bytes) its wire line in place (MakeCommandLine)
// and sends it; 0, or -1 (reported). A command whose text holds a line break is refused
// before any byte of it is sent, in a box with the string breakText, which names the
// setting the text came from (0 for a text the program makes itself, which never does).
int SendCommand(char *command, size_t capacity, UINT breakText, SOCKET control);
// The address of our end of the control connection, as PORT and the status line name it.
bool ControlLocalAddress(SOCKET control, NetAddress *address);
// Active mode: the transfer command's line (refused as above before anything is sent), a
// listening socket on the control connection's local address, PORT (EPRT on IPv6), 200, the transfer
// command, 150 or 125, accept (only a connection from the server's address; others are
// closed and the wait goes on): the data socket, or INVALID_SOCKET after the failure was
// reported. Under TLS once the control connection is. local is the control connection's
// local address when the caller knows it (else null).
SOCKET OpenDataConnection(const NetAddress *local, char *transferCommand, size_t capacity,
                          UINT breakText, SOCKET control);
// Passive mode: the transfer command's line as above, PASV, 227 (EPSV and 229 on IPv6, or
// after PASV was refused), connect to the server (the
// control connection's peer) at the port the reply names, the transfer command, 150 or 125.
SOCKET OpenPassiveDataConnection(char *transferCommand, size_t capacity, UINT breakText,
                                 SOCKET control);

#endif
