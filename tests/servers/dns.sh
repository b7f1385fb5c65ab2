#!/usr/bin/env bash
# The tests' name server on 127.0.0.53 (see nxdomain.py). tools/win-tests.sh points the
# private network's resolv.conf at it.
dir="$OVRA_TEST_TMP/dns"
case "$1" in
start)
    mkdir -p "$dir"
    python3 "$(dirname "$0")/nxdomain.py" 127.0.0.53 >"$dir/log" 2>&1 &
    echo $! >"$dir/pid"
    ;;
stop)
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid"
    ;;
esac
