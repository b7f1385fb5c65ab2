#!/usr/bin/env bash
# pure-ftpd on 127.0.1.26:2121 (pure.ovra.test) as its admins often run it: TLS offered
# (-Y 1, the tests' certificate), no anonymous logins, renames refused (-G). One virtual user
# "ovra" / "secret", whose files belong to uid 4242, home under $OVRA_TEST_TMP/pure-ftpd.
# Run from build/debs (tools/ensure-packages.sh unpacks it: it conflicts with proftpd), as
# root in the tests' private namespace (tools/win-tests.sh), so that it can take that uid.
#   pureftpd.sh start | stop
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/certs.bash"
. "$here/listening.bash"
dir=$OVRA_TEST_TMP/pure-ftpd
binary=$here/../../build/debs/pure-ftpd/usr/sbin/pure-ftpd
pw=$here/../../build/debs/pure-ftpd/usr/bin/pure-pw

start() {
    if [ "${OVRA_PRIVATE_NET:-}" != 1 ] || [ ! -x "$binary" ]; then
        echo "pure-ftpd: skipped (it needs root in the private namespace, and $binary)"
        return 0
    fi
    mkdir -p "$dir/home" && chown 4242:4242 "$dir/home" && ensure_certs || return 1
    # A crypt hash: pure-pw's own (argon2) would take a second at every login.
    echo "ovra:$(openssl passwd -6 secret):4242:4242::$dir/home/./::::::::::::" >"$dir/passwd"
    "$pw" mkdb "$dir/pureftpd.pdb" -f "$dir/passwd" || return 1
    "$binary" -S 127.0.1.26,2121 -l "puredb:$dir/pureftpd.pdb" -E -G -H -Y 1 \
        -2 "$CERTS/ftps.pem,$CERTS/ftps.key" -g "$dir/pid" >"$dir/daemon.log" 2>&1 </dev/null &
    await_listen pure-ftpd 127.0.1.26 2121 "$dir/daemon.log"
}

stop() {
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid"
}

start_or_stop "$@"
