// Passive-mode data connections: the address a 227 reply names and where to connect.
// Platform-free. Addresses are IPv4 in host byte order.
#ifndef OVRA_PASV_H
#define OVRA_PASV_H

// Reads "h1,h2,h3,h4,p1,p2" from a 227 reply: the first six comma-separated numbers of
// 0-255 after the code, wherever the text puts them (with or without parentheses).
// False when the reply holds no such run.
bool ParsePassiveReply(const char *reply, unsigned long *address, unsigned short *port);

// Where the data connection goes: the offered address, or the control connection's peer
// when the offered address is not public but the peer is. A server behind NAT names its
// inside address, which the client cannot reach. Not public: "this network" (0/8), private
// (10/8, 172.16/12, 192.168/16), shared (100.64/10), loopback, link-local, multicast and
// reserved addresses.
unsigned long PassiveDataAddress(unsigned long offered, unsigned long controlPeer);

#endif
