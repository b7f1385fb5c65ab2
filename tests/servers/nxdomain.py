"""A name server for the tests' private network: it answers every question with "no such
name", so a look-up of an unknown host fails at once and never leaves the machine; except
that v6only.ovra.test has an IPv6 address (the IPv6 vsftpd's, ::ffff:127.0.1.25) and no
IPv4 one, as a host reachable over IPv6 only has."""
import socket
import sys

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.53"
V6_ONLY = b"\x06v6only\x04ovra\x04test\x00"
AAAA = 28
V6_ADDRESS = socket.inet_pton(socket.AF_INET6, "::ffff:127.0.1.25")

sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.bind((address, 53))
while True:
    query, peer = sock.recvfrom(512)
    if len(query) < 12:
        continue
    end = query.find(b"\0", 12) + 5  # the name, then its type and class
    name, qtype = query[12:end - 4].lower(), int.from_bytes(query[end - 4:end - 2], "big")
    question = query[12:end]
    # Same id and question; response, recursion available; no answers and rcode 3
    # (NXDOMAIN), or for the IPv6-only name rcode 0 and its one AAAA record, if asked.
    if name != V6_ONLY:
        flags = bytes([0x80 | (query[2] & 0x01), 0x83])
        sock.sendto(query[:2] + flags + b"\0\1\0\0\0\0\0\0" + question, peer)
        continue
    answers = (b"\xc0\x0c" + AAAA.to_bytes(2, "big") + b"\0\1" + (60).to_bytes(4, "big") +
               b"\0\x10" + V6_ADDRESS) if qtype == AAAA else b""
    flags = bytes([0x84 | (query[2] & 0x01), 0x80])
    sock.sendto(query[:2] + flags + b"\0\1" + (b"\0\1" if answers else b"\0\0") + b"\0\0\0\0" +
                question + answers, peer)
