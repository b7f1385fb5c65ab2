#!/usr/bin/env bash
# A second Secure FTP server for the posting tests: vsftpd on 127.0.0.7:2121 with ssl_enable
# and force_local_logins_ssl, for the local account "ovra" / "secret" (home and log under
# $OVRA_TEST_TMP/vsftpd), run from build/debs (tools/ensure-packages.sh unpacks it: it
# conflicts with proftpd). The account is added only to copies of passwd, shadow and group
# bind-mounted over the system's, so this runs only as root in the tests' private mount
# namespace (tools/win-tests.sh). PAM has no such service and falls back to "other".
# Wine never resumes a TLS session: require_ssl_reuse=NO, where vsftpd's default is YES.
# Two more daemons serve the same account (logs and pid in a folder each under
# $OVRA_TEST_TMP/vsftpd): "stock" on 127.0.1.23 (stock.ovra.test) as Debian's vsftpd.conf
# configures it, local_umask=077 and session reuse required; "umask" on 127.0.1.21
# (umask.ovra.test) with local_umask=077 but no reuse required and ascii_upload_enable=YES,
# so that a posting under Wine lands, as LF. Beside it, in.fingerd with the real finger
# program on 127.0.1.21:7979, run as nobody, shows only a .project others may read. And
# "implicit" on 127.0.1.24:2990 (implicit.ovra.test) speaks TLS from the first byte.
# nginx on 127.0.1.21:8080, its worker nobody as well, serves the account's public_html.
# "ipv6" listens on an IPv6 socket only (listen_ipv6), at 127.0.1.25 in IPv6 form
# (::ffff:127.0.1.25, port 2121), without TLS: its sessions, EPRT and EPSV are IPv6 to
# vsftpd while every byte stays on the loopback network. "efingerd" on 127.0.1.27, plain
# FTP, has efingerd on :7979 beside it, run as nobody, unpacked as vsftpd is (it conflicts
# with fingerd) and so without the example scripts that Debian installs not executable:
# either way it shows the full name only.
#   vsftpd.sh start | stop
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/certs.bash"
. "$here/nginx.bash"
. "$here/listening.bash"
dir=$OVRA_TEST_TMP/vsftpd
binary=$here/../../build/debs/vsftpd/usr/sbin/vsftpd
efingerd=$here/../../build/debs/efingerd/usr/sbin/efingerd
uid=4242

add_account() {
    local file
    for file in passwd shadow group; do cp "/etc/$file" "$dir/$file"; done
    echo "ovra:x:$uid:$uid:Ovra Test:$dir/home:/bin/sh" >>"$dir/passwd"
    echo "ovra:$(openssl passwd -6 secret):19000:0:99999:7:::" >>"$dir/shadow"
    echo "ovra:x:$uid:" >>"$dir/group"
    for file in passwd shadow group; do mount --bind "$dir/$file" "/etc/$file" || return 1; done
}

start() {
    if [ "${OVRA_PRIVATE_NET:-}" != 1 ] || [ ! -x "$binary" ]; then
        echo "vsftpd: skipped (it needs root in the private namespace, and $binary)"
        return 0
    fi
    mkdir -p "$dir/home/public_html" "$dir/empty"
    ensure_certs && add_account || return 1
    chown -R "$uid:$uid" "$dir/home"
    daemon "$dir" 127.0.0.7 "local_umask=022
require_ssl_reuse=NO" && daemon "$dir/stock" 127.0.1.23 "local_umask=077" &&
        daemon "$dir/umask" 127.0.1.21 "local_umask=077
require_ssl_reuse=NO
ascii_upload_enable=YES" && daemon "$dir/implicit" 127.0.1.24 "local_umask=022
require_ssl_reuse=NO
implicit_ssl=YES" 2990 && daemon "$dir/ipv6" ::ffff:127.0.1.25 "listen=NO
listen_ipv6=YES
listen_address6=::ffff:127.0.1.25
ssl_enable=NO
force_local_logins_ssl=NO
local_umask=022" && daemon "$dir/efingerd" 127.0.1.27 "ssl_enable=NO
force_local_logins_ssl=NO
local_umask=022" && finger_daemon &&
        nginx_start "$dir/umask/web" "    server { listen 127.0.1.21:8080; root $dir/home/public_html; }" \
            "nobody nogroup"
}

daemon() {  # DIR ADDRESS LINES [PORT]: one vsftpd for the account, with lines of its own
    local port=${4:-2121}
    mkdir -p "$1"
    cat >"$1/vsftpd.conf" <<CONF
listen=YES
listen_address=$2
listen_port=$port
anonymous_enable=NO
local_enable=YES
write_enable=YES
pam_service_name=ovra-test-vsftpd
secure_chroot_dir=$dir/empty
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
ssl_enable=YES
force_local_logins_ssl=YES
ssl_ciphers=HIGH
rsa_cert_file=$CERTS/ftps.pem
rsa_private_key_file=$CERTS/ftps.key
log_ftp_protocol=YES
xferlog_enable=YES
vsftpd_log_file=$1/vsftpd.log
$3
CONF
    "$binary" "$1/vsftpd.conf" >"$1/daemon.log" 2>&1 </dev/null &
    echo $! >"$1/pid"
    await_listen vsftpd "$2" "$port" "$1/daemon.log"
}

finger_daemon() {
    socat TCP-LISTEN:7979,bind=127.0.1.21,reuseaddr,fork EXEC:/usr/sbin/in.fingerd,nofork,su=nobody \
        >"$dir/umask/finger.log" 2>&1 </dev/null &
    echo $! >"$dir/umask/finger.pid"
    socat TCP-LISTEN:7979,bind=127.0.1.27,reuseaddr,fork EXEC:"$efingerd -n",nofork,su=nobody \
        >"$dir/efingerd/finger.log" 2>&1 </dev/null &
    echo $! >"$dir/efingerd/finger.pid"
}

stop() {
    local pid
    for pid in "$dir/pid" "$dir/stock/pid" "$dir/umask/pid" "$dir/umask/finger.pid" "$dir/implicit/pid" "$dir/ipv6/pid" \
        "$dir/efingerd/pid" "$dir/efingerd/finger.pid"; do
        [ -f "$pid" ] && kill "$(cat "$pid")" 2>/dev/null
        rm -f "$pid"
    done
    nginx_stop "$dir/umask/web"
}

start_or_stop "$@"
