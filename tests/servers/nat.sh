#!/usr/bin/env bash
# An FTP server behind what looks like a NAT router: proftpd (tests/servers/ftp.sh) on
# 127.0.0.32, reached through socat relays on 127.0.0.30 that connect from 127.0.0.31. The
# server sees every connection, control and data, come from 127.0.0.31, so it refuses the
# PORT the client sends with its own address ("500 Illegal PORT command"), as servers do
# when a router stands between. Its PASV names 127.0.0.30, whose data ports are relayed too.
#   nat.sh start | stop
set -u
here=$(dirname "$0")
front=127.0.0.30 source=127.0.0.31 server=127.0.0.32
ports="${OVRA_FTP_PORT:-2121} 50100 50101"
export OVRA_FTP_NAME=nat OVRA_FTP_ADDRESS=$server
export OVRA_FTP_CONFIG="MasqueradeAddress $front
PassivePorts 50100 50101"
pids="$OVRA_TEST_TMP/nat/relays.pid"

start() {
    bash "$here/ftp.sh" start || return 1
    for port in $ports; do
        socat TCP-LISTEN:"$port",bind=$front,reuseaddr,fork TCP:$server:"$port",bind=$source \
            >/dev/null 2>&1 &
        echo $! >>"$pids"
    done
    for _ in $(seq 50); do
        (exec 3<>"/dev/tcp/$front/${OVRA_FTP_PORT:-2121}") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "the NAT relay does not listen on $front" >&2
    return 1
}

stop() {
    [ -f "$pids" ] && kill $(cat "$pids") 2>/dev/null
    rm -f "$pids"
    bash "$here/ftp.sh" stop
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
