#!/usr/bin/env bash
# A real web server for the Windows tests: nginx on 127.0.0.4:8080 with its own config,
# docroot, pid file, logs and temp paths under $OVRA_TEST_TMP/http. It answers the
# HTTP/0.9 simple request "GET /path" with the body alone. Started by root, its worker
# stays root too: the scratch directory is closed to other users.
# The demo (tools/demo) reuses it with OVRA_HTTP_ADDRESS and its own document root,
# OVRA_HTTP_ROOT, which must hold an ovra.txt.
# Usage: http.sh start|stop
set -u
dir="${OVRA_TEST_TMP:?OVRA_TEST_TMP must be set}/http"
address=${OVRA_HTTP_ADDRESS:-127.0.0.4}
root=${OVRA_HTTP_ROOT:-$dir/docroot}
port=${OVRA_HTTP_PORT:-8080}

start() {
    mkdir -p "$dir/docroot/dir" "$dir/temp" "$dir/logs"
    printf 'OVRA ON test-host\n' >"$dir/docroot/ovra.txt"
    printf 'first\nsecond\r\nthird\n' >"$dir/docroot/dir/lines.txt"
    printf 'index\n' >"$dir/docroot/index.html"
    local user=
    [ "$(id -u)" = 0 ] && user="user root;"
    cat >"$dir/nginx.conf" <<CONF
$user
worker_processes 1;
daemon on;
pid $dir/nginx.pid;
error_log $dir/logs/error.log;
events { worker_connections 64; }
http {
    access_log $dir/logs/access.log;
    client_body_temp_path $dir/temp/body;
    proxy_temp_path $dir/temp/proxy;
    fastcgi_temp_path $dir/temp/fastcgi;
    uwsgi_temp_path $dir/temp/uwsgi;
    scgi_temp_path $dir/temp/scgi;
    default_type text/plain;
    server {
        listen $address:$port;
        root $root;
    }
}
CONF
    /usr/sbin/nginx -p "$dir" -c "$dir/nginx.conf" -e "$dir/logs/error.log" || return 1
    for _ in $(seq 50); do
        # The body alone, with no status line or headers.
        [ "$(printf 'GET /ovra.txt\r\n' | socat -T2 - TCP:"$address:$port" 2>/dev/null)" = \
            "$(cat "$root/ovra.txt")" ] && return 0
        sleep 0.1
    done
    echo "nginx did not answer on $address:$port" >&2
    return 1
}

stop() {
    [ -f "$dir/nginx.pid" ] || return 0
    local pid
    pid=$(cat "$dir/nginx.pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/nginx.pid"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
