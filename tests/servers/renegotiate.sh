#!/usr/bin/env bash
# A TLS 1.2 server that asks for a new handshake in the middle of an answer: openssl
# s_server on 127.0.0.175:8443 with the trusted authority's certificate for
# renegotiate.ovra.test. It takes one connection: once the request has arrived it sends a
# HelloRequest, then "renegotiated" and closes.
#   renegotiate.sh start | stop
set -u
here=$(dirname "$0")
. "$here/certs.bash"
dir="$OVRA_TEST_TMP/renegotiate"

start() {
    ensure_certs || return 1
    mkdir -p "$dir" && rm -f "$dir/in" && mkfifo "$dir/in" || return 1
    (
        exec 3<>"$dir/in"
        openssl s_server -tls1_2 -naccept 1 -accept 127.0.0.175:8443 -cert "$CERTS/renegotiate.pem" \
            -key "$CERTS/renegotiate.key" <"$dir/in" >"$dir/log" 2>&1 &
        until grep -q "^GET " "$dir/log" 2>/dev/null; do sleep 0.1; done
        echo r >&3
        sleep 1
        printf 'renegotiated\n' >&3
        sleep 1
        echo Q >&3
        wait
    ) >/dev/null 2>&1 &
    echo $! >"$dir/pid"
}

stop() {
    [ -f "$dir/pid" ] || return 0
    pkill -P "$(cat "$dir/pid")" 2>/dev/null
    kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
