// The wire form of an FTP command. Platform-free.
#ifndef OVRA_COMMANDLINE_H
#define OVRA_COMMANDLINE_H

#include <stddef.h>

enum {
    kCommandHoldsBreak = -1,  // CR or LF in the text: the server would read a second command
    kCommandTooLong = -2,     // the line does not fit in the buffer
};

// Makes the command text in buffer (capacity bytes, the terminator included) into the line
// that goes on the wire, in place: every 0xFF byte doubled (Telnet's IAC, RFC 959 4.1.3;
// a server that reads Telnet commands otherwise eats it), then CR LF. Returns the line's
// length, or one of the negative results above with buffer unchanged. A NUL cannot be part
// of the text: it ends it.
long MakeCommandLine(char *buffer, size_t capacity);

#endif
