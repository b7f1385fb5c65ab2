"""A silent server for the benchmarks: accepts connections on ADDRESS:PORT, reads what the
client sends and never answers; on SIGTERM it closes them and exits. Touches FLAG_FILE
when a connection arrives, so the caller can wait for the client to be waiting."""
import signal
import socket
import sys

address, port, flag = sys.argv[1], int(sys.argv[2]), sys.argv[3]
listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
listener.bind((address, port))
listener.listen(4)
signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
held = []
while True:
    connection, _ = listener.accept()
    held.append(connection)
    open(flag, "w").close()
