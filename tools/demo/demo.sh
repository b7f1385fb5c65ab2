# Sourced by tools/run, tools/screenshots and tools/bench (after tools/build.sh and
# tools/wine-env.sh): the demo's local servers and its Wine prefix.
#
# The demo servers are the test servers of tests/servers/ started on loopback addresses of
# their own, so a demo can run next to a test run:
#   FTP     proftpd requiring TLS, virtual user "ovra" / "secret"   localhost:2121 (127.0.0.1)
#   finger  in.fingerd via socat, answers with that user's .project   127.0.0.61:7979
#   HTTP    nginx serving that user's public_html            127.0.0.62:8080
# The ports are the ones the prefix's services file maps ftp/finger/http to. The FTP
# server's certificate names "localhost" (Wine checks names, not addresses) and comes from
# a throw-away authority that the demo prefix trusts, so Secure FTP works without a question.

DEMO_FTP=localhost
DEMO_FTP_ADDRESS=127.0.0.1
DEMO_FINGER=127.0.0.61
DEMO_HTTP=127.0.0.62
DEMO_USER=ovra
DEMO_PASSWORD=secret
DEMO_FINGER_QUERY="$DEMO_USER@$DEMO_FINGER"
DEMO_WEB_QUERY="$DEMO_HTTP/ovra.txt"
DEMO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The answer in.fingerd's "finger program" gives: the user's .project as the FTP daemon
# stored it, read afresh for every query.
demo_finger_answer() {  # $1: the .project file; writes the script to stdout
    cat <<ANSWER
#!/bin/sh
[ "\${1:-}" = "--" ] && shift
if [ -z "\${1:-}" ]; then
    printf 'Login     Name       Tty\n$DEMO_USER      Ovra Demo  pts/0\n'
    exit 0
fi
printf 'Login: %s\t\t\tName: Ovra Demo\nDirectory: /home/%s\t\tShell: /bin/false\n' "\$1" "\$1"
if [ "\$1" = "$DEMO_USER" ] && [ -s "$1" ]; then
    printf 'Project: '
    cat "$1"
else
    printf 'No Project. (Post > On in Ovra writes one.)\n'
fi
printf 'No Plan.\n'
ANSWER
}

# Starts the three servers with their state in a fresh directory, $OVRA_TEST_TMP.
demo_servers_start() {
    if [ ! -f "$DEMO_ROOT/tests/servers/ftp.sh" ]; then
        echo "tests/servers/ftp.sh (the FTP daemon of the posting tests) is missing" >&2
        return 1
    fi
    export OVRA_TEST_TMP
    OVRA_TEST_TMP=$(mktemp -d /tmp/ovra-demo.XXXXXX) || return 1
    # in.fingerd runs its answer program as "nobody", which reads the stored .project.
    chmod 755 "$OVRA_TEST_TMP"
    DEMO_HOME="$OVRA_TEST_TMP/ftp/home"
    . "$DEMO_ROOT/tests/servers/certs.bash"
    ensure_certs || return 1
    OVRA_FTP_ADDRESS=$DEMO_FTP_ADDRESS OVRA_FTP_CONFIG=$(proftpd_tls_config ftps "$OVRA_TEST_TMP/ftp/tls.log") \
        bash "$DEMO_ROOT/tests/servers/ftp.sh" start || return 1
    mkdir -p "$DEMO_HOME/public_html"
    printf 'Nothing posted yet: choose Post > On in Ovra, then fetch this page again.\r\n' \
        >"$DEMO_HOME/public_html/ovra.txt"
    OVRA_HTTP_ADDRESS=$DEMO_HTTP OVRA_HTTP_ROOT="$DEMO_HOME/public_html" \
        bash "$DEMO_ROOT/tests/servers/http.sh" start || return 1
    demo_finger_answer "$DEMO_HOME/.project" >"$OVRA_TEST_TMP/finger-answer.sh"
    OVRA_FINGER_ADDRESS=$DEMO_FINGER OVRA_FINGER_ANSWER="$OVRA_TEST_TMP/finger-answer.sh" \
        bash "$DEMO_ROOT/tests/servers/finger.sh" start || return 1
}

demo_servers_stop() {
    [ -n "${OVRA_TEST_TMP:-}" ] && [ -d "$OVRA_TEST_TMP" ] || return 0
    OVRA_FINGER_ADDRESS=$DEMO_FINGER bash "$DEMO_ROOT/tests/servers/finger.sh" stop
    OVRA_HTTP_ADDRESS=$DEMO_HTTP bash "$DEMO_ROOT/tests/servers/http.sh" stop
    OVRA_FTP_ADDRESS=$DEMO_FTP_ADDRESS bash "$DEMO_ROOT/tests/servers/ftp.sh" stop
    rm -rf "$OVRA_TEST_TMP"
    OVRA_TEST_TMP=
}

demo_servers_print() {
    local ftp_pid finger_pid http_pid
    ftp_pid=$(cat "$OVRA_TEST_TMP/ftp/launcher.pid" 2>/dev/null)
    finger_pid=$(cat "$OVRA_TEST_TMP/finger/pid" 2>/dev/null)
    http_pid=$(cat "$OVRA_TEST_TMP/http/nginx.pid" 2>/dev/null)
    cat <<TEXT
Demo servers (loopback only, stopped when Ovra exits):
  FTP     proftpd     $DEMO_FTP:2121 ($DEMO_FTP_ADDRESS), TLS required  pid $ftp_pid  user "$DEMO_USER", password "$DEMO_PASSWORD"
          its files:  $DEMO_HOME
  finger  in.fingerd  $DEMO_FINGER:7979  pid $finger_pid (socat)  shows $DEMO_USER's .project
  HTTP    nginx       $DEMO_HTTP:8080  pid $http_pid  serves $DEMO_HOME/public_html
Wine prefix: $WINEPREFIX (settings: $(wine_env_ini))
Try: Post > On, then Query > Finger... "$DEMO_FINGER_QUERY" and Query > Web... "$DEMO_WEB_QUERY".
TEXT
}

# The demo settings: the login (password scrambled as Ovra stores it, +0x81 per byte), both
# upload targets, and the two queries in the histories. Rewritten at every start.
demo_write_ini() {
    python3 - "$(wine_env_ini)" "$DEMO_FTP" "$DEMO_USER" \
        "$DEMO_PASSWORD" "$DEMO_FINGER_QUERY" "$DEMO_WEB_QUERY" <<'PY'
import sys
path, host, user, password, finger, web = sys.argv[1:]
scrambled = bytes((b + 0x81) % 256 for b in password.encode())
text = lambda s: s.encode()
with open(path, "wb") as ini:
    ini.write(b"[Login]\r\nHost=" + text(host) + b"\r\nUser=" + text(user) +
              b"\r\nPassword=" + scrambled + b"\r\nSavePassword=Yes\r\n"
              b"[Settings]\r\nTimezone=UTC\r\nUploadFile1=true\r\nUploadFile2=true\r\nSecureFtp=true\r\n"
              b"[Addresses]\r\nFinger=" + text(finger) + b", \r\nWeb=" + text(web) + b",\r\n")
PY
}

# Under a window manager Wine's windows should be managed by it; without one (Xvfb) they
# must not be, or every modal close stalls.
demo_match_window_manager() {
    local managed=N
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && managed=Y
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1
}

# A prefix of the demo's own under $1 with the services mapped to the demo ports, the demo
# settings, and the demo servers running.
demo_start() {  # $1: base directory of the prefix
    wine_env_start "$1" || return 1
    wine_env_services
    demo_match_window_manager
    demo_write_ini
    demo_servers_start && demo_driver && demo_trust "$CERTS/ca.der"
}

# The prefix trusts a certificate authority, as Windows does once it is installed.
demo_trust() {  # $1: the authority's certificate (DER)
    drive trust "Z:${1//\//\\}" >/dev/null
}

demo_stop() {
    demo_servers_stop
    wine_env_stop
}

# The driver of tools/demo/driver.c, cross-built next to the demo's other build output.
demo_driver() {
    local exe="$DEMO_ROOT/build/demo/driver.exe"
    if [ ! -f "$exe" ] || [ "$DEMO_ROOT/tools/demo/driver.c" -nt "$exe" ]; then
        mkdir -p "$DEMO_ROOT/build/demo"
        x86_64-w64-mingw32-gcc -O2 -Wall -Wextra -Werror -o "$exe" \
            "$DEMO_ROOT/tools/demo/driver.c" -luser32 -lcrypt32 || return 1
    fi
    DEMO_DRIVER=$exe
}

# Runs the driver; its output has Windows line ends.
drive() {
    "$WINE" "$DEMO_DRIVER" "$@" </dev/null 2>&1 | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
