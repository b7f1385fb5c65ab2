#!/usr/bin/env bash
# A real web server for the Windows tests: nginx on 127.0.0.4:8080 with its own config,
# docroot under $OVRA_TEST_TMP/http (nginx.bash). It answers the HTTP/0.9 simple request
# "GET /path" with the body alone.
# The demo (tools/demo) reuses it with OVRA_HTTP_ADDRESS and its own document root,
# OVRA_HTTP_ROOT, which must hold an ovra.txt.
# Usage: http.sh start|stop
set -u
. "$(dirname "$0")/nginx.bash"
dir="${OVRA_TEST_TMP:?OVRA_TEST_TMP must be set}/http"
address=${OVRA_HTTP_ADDRESS:-127.0.0.4}
root=${OVRA_HTTP_ROOT:-$dir/docroot}
port=${OVRA_HTTP_PORT:-8080}

start() {
    mkdir -p "$dir/docroot/dir"
    printf 'OVRA ON test-host\n' >"$dir/docroot/ovra.txt"
    printf 'first\nsecond\r\nthird\n' >"$dir/docroot/dir/lines.txt"
    printf 'index\n' >"$dir/docroot/index.html"
    nginx_start "$dir" "    server { listen $address:$port; root $root; }" || return 1
    for _ in $(seq 50); do
        # The body alone, with no status line or headers.
        [ "$(printf 'GET /ovra.txt\r\n' | socat -T2 - TCP:"$address:$port" 2>/dev/null)" = \
            "$(cat "$root/ovra.txt")" ] && return 0
        sleep 0.1
    done
    echo "nginx did not answer on $address:$port" >&2
    return 1
}

case "${1:-}" in
start) start ;;
stop) nginx_stop "$dir" ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
