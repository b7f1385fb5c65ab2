#!/usr/bin/env bash
# A real finger daemon for the Windows tests: in.fingerd behind socat on 127.0.0.3:7979.
# Its "finger program" is a script with canned answers, so the replies are deterministic.
# in.fingerd runs that script as "nobody", which cannot enter $OVRA_TEST_TMP, so the script
# lives in a directory of its own under /tmp, named in $OVRA_TEST_TMP/finger/script-dir.
# The demo (tools/demo) reuses it with its own address and answer program:
# OVRA_FINGER_ADDRESS, and OVRA_FINGER_ANSWER naming a script that answers "Login: NAME".
# Usage: finger.sh start|stop   (state in $OVRA_TEST_TMP/finger)
set -u
dir="${OVRA_TEST_TMP:?OVRA_TEST_TMP must be set}/finger"
address=${OVRA_FINGER_ADDRESS:-127.0.0.3}
port=${OVRA_FINGER_PORT:-7979}

start() {
    mkdir -p "$dir"
    local scripts
    scripts=$(mktemp -d /tmp/ovra-finger.XXXXXX) || return 1
    chmod 755 "$scripts"
    echo "$scripts" >"$dir/script-dir"
    if [ -n "${OVRA_FINGER_ANSWER:-}" ]; then
        cp "$OVRA_FINGER_ANSWER" "$scripts/answer.sh"
    else
        cat >"$scripts/answer.sh" <<'ANSWER'
#!/bin/sh
# in.fingerd runs this as "finger [--] [name]".
[ "${1:-}" = "--" ] && shift
if [ -z "${1:-}" ]; then
    printf 'Login     Name       Tty\nnobody    Ovra Test  pts/0\n'
else
    printf 'Login: %s\t\t\tName: Ovra Test\nPlan:\nOVRA ON test-host\n' "$1"
fi
ANSWER
    fi
    chmod 755 "$scripts/answer.sh"
    socat TCP-LISTEN:"$port",bind="$address",reuseaddr,fork \
        EXEC:"/usr/sbin/in.fingerd -p $scripts/answer.sh",nofork >"$dir/socat.log" 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 50); do
        printf 'x\r\n' | socat -T2 - TCP:"$address:$port" 2>/dev/null | grep -q 'Login: x' && return 0
        sleep 0.1
    done
    echo "finger daemon did not answer on $address:$port" >&2
    return 1
}

stop() {
    if [ -f "$dir/pid" ]; then
        kill "$(cat "$dir/pid")" 2>/dev/null
        rm -f "$dir/pid"
    fi
    if [ -f "$dir/script-dir" ]; then
        rm -rf "$(cat "$dir/script-dir")"
        rm -f "$dir/script-dir"
    fi
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
