# Sourced by the daemons' scripts: the wait for a daemon to listen, and the start|stop entry.

# await_listen NAME ADDRESS PORT LOG: 0 once ADDRESS:PORT takes a connection (5 s at most),
# else 1 with the daemon's LOG shown.
await_listen() {
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/$2/$3") 2>/dev/null && return 0
        sleep 0.05
    done
    echo "$1 does not listen on $2:$3" >&2
    cat "$4" >&2
    return 1
}

# start_or_stop "$@": the script's own start or stop, as its first argument says.
start_or_stop() {
    case "${1:-}" in
    start) start ;;
    stop) stop ;;
    *) echo "usage: $0 start|stop" >&2; exit 2 ;;
    esac
}
