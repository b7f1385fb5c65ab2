// Passive-mode data connections: the address and port a 227 reply names.
// Platform-free. Addresses are IPv4 in host byte order.
#ifndef OVRA_PASV_H
#define OVRA_PASV_H

// Reads "h1,h2,h3,h4,p1,p2" from a 227 reply: the first six comma-separated numbers of
// 0-255 after the code, wherever the text puts them (with or without parentheses).
// False when the reply holds no such run.
bool ParsePassiveReply(const char *reply, unsigned long *address, unsigned short *port);

// Reads the port of a 229 reply (RFC 2428): "(", three times one delimiter, the port, the
// delimiter again. False when the reply holds no such text or the port is not 1-65535.
bool ParseExtendedPassiveReply(const char *reply, unsigned short *port);

#endif
