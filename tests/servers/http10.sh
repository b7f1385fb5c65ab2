#!/usr/bin/env bash
# Web servers that answer only HTTP/1.0 requests (a simple request gets nothing from them):
#   lighttpd, 127.0.0.5:8080: name-based virtual hosts, "www.ovra.test" (its own pages)
#            and any other name (the default site)
#   Python's http.server, 127.0.0.9:8080
# Pages under $OVRA_TEST_TMP/http10.
#   http10.sh start | stop
set -u
dir="${OVRA_TEST_TMP:?OVRA_TEST_TMP must be set}/http10"
port=${OVRA_HTTP_PORT:-8080}

answers() {  # ADDRESS PATH TEXT: waits until the server serves TEXT
    for _ in $(seq 50); do
        [ "$(printf 'GET /%s HTTP/1.0\r\nHost: www.ovra.test:%s\r\n\r\n' "$2" "$port" |
            socat -T2 - TCP:"$1:$port" 2>/dev/null | tail -1)" = "$3" ] && return 0
        sleep 0.1
    done
    echo "no web server answers on $1:$port" >&2
    return 1
}

start() {
    mkdir -p "$dir/default/dir" "$dir/www"
    printf 'default site\n' >"$dir/default/ovra.txt"
    printf 'OVRA ON www-host\n' >"$dir/www/ovra.txt"
    cat >"$dir/lighttpd.conf" <<CONF
server.bind = "127.0.0.5"
server.port = $port
server.document-root = "$dir/default"
server.pid-file = "$dir/lighttpd.pid"
server.errorlog = "$dir/lighttpd.log"
mimetype.assign = (".txt" => "text/plain")
\$HTTP["host"] =~ "^www\\.ovra\\.test(:[0-9]+)?\$" { server.document-root = "$dir/www" }
CONF
    /usr/sbin/lighttpd -f "$dir/lighttpd.conf" || return 1
    /usr/bin/python3 -m http.server --bind 127.0.0.9 --directory "$dir/default" "$port" \
        >"$dir/python.log" 2>&1 </dev/null &
    echo $! >"$dir/python.pid"
    answers 127.0.0.5 ovra.txt 'OVRA ON www-host' && answers 127.0.0.9 ovra.txt 'default site'
}

stop() {
    for pid in "$dir/lighttpd.pid" "$dir/python.pid"; do
        [ -f "$pid" ] && kill "$(cat "$pid")" 2>/dev/null
        rm -f "$pid"
    done
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
