#!/usr/bin/env bash
# A second Secure FTP server for the posting tests: vsftpd on 127.0.0.7:2121 with ssl_enable
# and force_local_logins_ssl, for the local account "ovra" / "secret" (home and log under
# $OVRA_TEST_TMP/vsftpd), run from build/debs (tools/ensure-packages.sh unpacks it: it
# conflicts with proftpd). The account is added only to copies of passwd, shadow and group
# bind-mounted over the system's, so this runs only as root in the tests' private mount
# namespace (tools/win-tests.sh). PAM has no such service and falls back to "other".
# Wine never resumes a TLS session: require_ssl_reuse=NO, where vsftpd's default is YES.
#   vsftpd.sh start | stop
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/certs.bash"
dir=$OVRA_TEST_TMP/vsftpd
binary=$here/../../build/debs/vsftpd/usr/sbin/vsftpd
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
    cat >"$dir/vsftpd.conf" <<CONF
listen=YES
listen_address=127.0.0.7
listen_port=2121
anonymous_enable=NO
local_enable=YES
write_enable=YES
local_umask=022
pam_service_name=ovra-test-vsftpd
secure_chroot_dir=$dir/empty
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
ssl_enable=YES
force_local_logins_ssl=YES
require_ssl_reuse=NO
ssl_ciphers=HIGH
rsa_cert_file=$CERTS/ftps.pem
rsa_private_key_file=$CERTS/ftps.key
log_ftp_protocol=YES
xferlog_enable=YES
vsftpd_log_file=$dir/vsftpd.log
CONF
    "$binary" "$dir/vsftpd.conf" >"$dir/daemon.log" 2>&1 </dev/null &
    echo $! >"$dir/pid"
    for _ in $(seq 100); do
        (exec 3<>/dev/tcp/127.0.0.7/2121) 2>/dev/null && return 0
        sleep 0.05
    done
    echo "vsftpd does not listen on 127.0.0.7:2121" >&2
    cat "$dir/daemon.log" >&2
    return 1
}

stop() {
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null
    rm -f "$dir/pid"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
