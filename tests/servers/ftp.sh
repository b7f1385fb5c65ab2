#!/usr/bin/env bash
# A real FTP daemon for the posting tests: proftpd on 127.0.0.2, port 2121, with its own
# configuration and a virtual user ("ovra", password "secret"; one more below) whose home
# is $OVRA_TEST_TMP/ftp/home. Stored files can be read there; every command the daemon
# received is logged to $OVRA_TEST_TMP/ftp/commands.log.
# Other scripts run more instances with OVRA_FTP_NAME (the directory's name instead of "ftp")
# and OVRA_FTP_CONFIG (more configuration lines, e.g. for TLS).
#   ftp.sh start | stop
set -u
: "${OVRA_TEST_TMP:?OVRA_TEST_TMP must name the scratch directory}"
ADDRESS=${OVRA_FTP_ADDRESS:-127.0.0.2}
PORT=${OVRA_FTP_PORT:-2121}
DIR="$OVRA_TEST_TMP/${OVRA_FTP_NAME:-ftp}"
CONF="$DIR/proftpd.conf"
PIDFILE="$DIR/proftpd.pid"

write_config() {
    mkdir -p "$DIR/home/public_html" "$DIR/run"
    local hash
    hash=$(openssl passwd -6 -salt ovratest secret)
    # The virtual user maps to whoever runs the daemon (as root, uid 0, so the daemon must
    # allow that login; the demo of tools/run may run it as an ordinary user).
    printf 'ovra:%s:%s:%s::%s:/bin/false\n' "$hash" "$(id -u)" "$(id -g)" "$DIR/home" >"$DIR/passwd"
    # A second account whose password holds 0xFF 0xFB: a Telnet command unless 0xFF is doubled.
    hash=$(printf 'se\377\373cret' | openssl passwd -6 -salt ovratest -stdin)
    printf 'ovraff:%s:%s:%s::%s:/bin/false\n' "$hash" "$(id -u)" "$(id -g)" "$DIR/home" >>"$DIR/passwd"
    chmod 0600 "$DIR/passwd"
    # Only root may chroot; otherwise the login simply starts in the home directory.
    local chroot=
    [ "$(id -u)" = 0 ] && chroot="DefaultRoot         ~"
    cat >"$CONF" <<CONF
ServerName          "ovra test ftp"
ServerType          standalone
DefaultServer       on
UseIPv6             off
DefaultAddress      $ADDRESS
SocketBindTight     on
Port                $PORT
User                $(id -un)
Group               $(id -gn)
RootLogin           on
Umask               022
MaxInstances        30
PidFile             $PIDFILE
ScoreboardFile      $DIR/run/scoreboard
DelayTable          none
DelayEngine         off
WtmpLog             off
UseReverseDNS       off
UseLastlog          off
ControlsEngine      off
SystemLog           $DIR/system.log
TransferLog         $DIR/xfer.log
LogFormat           commands "%m %J"
ExtendedLog         $DIR/commands.log ALL commands
AuthOrder           mod_auth_file.c
AuthUserFile        $DIR/passwd
AuthGroupFile       $DIR/group
RequireValidShell   off
$chroot
AllowOverwrite      on
TimeoutIdle         120
<IfModule mod_auth_pam.c>
  AuthPAM           off
</IfModule>
${OVRA_FTP_CONFIG:-}
CONF
    printf '%s:x:%s:\n' "$(id -gn)" "$(id -g)" >"$DIR/group"
}

wait_listening() {
    for _ in $(seq 100); do
        (exec 3<>"/dev/tcp/$ADDRESS/$PORT") 2>/dev/null && return 0
        sleep 0.05
    done
    return 1
}

start() {
    stop >/dev/null 2>&1
    if (exec 3<>"/dev/tcp/$ADDRESS/$PORT") 2>/dev/null; then
        echo "$ADDRESS:$PORT is already taken by another server" >&2
        return 1
    fi
    write_config
    /usr/sbin/proftpd -t -c "$CONF" >"$DIR/configtest.log" 2>&1 || {
        cat "$DIR/configtest.log" >&2
        return 1
    }
    # Foreground (-n) in the background, so the PID recorded is the daemon's own.
    /usr/sbin/proftpd -n -4 -c "$CONF" >>"$DIR/daemon.log" 2>&1 </dev/null &
    echo $! >"$DIR/launcher.pid"
    local launcher=$!
    wait_listening && kill -0 "$launcher" 2>/dev/null || { echo "proftpd does not listen on $ADDRESS:$PORT" >&2; cat "$DIR/daemon.log" >&2; return 1; }
}

stop() {
    local pid
    for file in "$DIR/launcher.pid" "$PIDFILE"; do
        [ -f "$file" ] || continue
        pid=$(cat "$file")
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid"
            for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
        fi
        rm -f "$file"
    done
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
