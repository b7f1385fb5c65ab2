"""A name server for the tests' private network: it answers every question with "no such
name", so a look-up of an unknown host fails at once and never leaves the machine."""
import socket
import sys

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.53"
sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
sock.bind((address, 53))
while True:
    query, peer = sock.recvfrom(512)
    if len(query) < 12:
        continue
    # Same id and question; response, recursion available, rcode 3 (NXDOMAIN), no answers.
    flags = bytes([0x80 | (query[2] & 0x01), 0x83])
    sock.sendto(query[:2] + flags + query[4:6] + b"\0\0\0\0\0\0" + query[12:], peer)
