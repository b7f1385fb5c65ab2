#!/usr/bin/env bash
# Real OpenSSH servers for the SFTP posting tests (sshd of Debian's openssh-server, run from
# build/debs, which tools/ensure-packages.sh unpacks so that no system service is set up),
# each with its own configuration, host keys made at start, password and key logins, and
# SFTP by the server's internal-sftp:
#   ssh          127.0.1.40:2222  ECDSA and RSA host keys
#   ssh-ed25519  127.0.1.41:2222  only an Ed25519 host key, which Ovra cannot check
# (tools/bench runs them on other addresses: OVRA_SSH_ADDRESS, OVRA_SSH_ED25519_ADDRESS).
# The account "ovra" / "secret" (home $OVRA_TEST_TMP/ssh/home) also logs in with the RSA key
# $OVRA_TEST_TMP/ssh/client_rsa (PEM, passphrase "keypass"). It exists only in copies of
# passwd, shadow and group bind-mounted in a mount namespace of the daemons' own, so this
# runs only as root. Each daemon logs to its directory's sshd.log.
#   ssh.sh start | stop
set -u
here=$(cd "$(dirname "$0")" && pwd)
dir=$OVRA_TEST_TMP/ssh
binary=$here/../../build/debs/openssh-server/usr/sbin/sshd
uid=4243

accounts() {
    local file
    for file in passwd shadow group; do grep -v '^\(ovra\|sshd\):' "/etc/$file" >"$dir/$file"; done
    echo "ovra:x:$uid:$uid:Ovra Test:$dir/home:/bin/sh" >>"$dir/passwd"
    echo "sshd:x:$((uid + 1)):65534::/run/sshd:/usr/sbin/nologin" >>"$dir/passwd"
    echo "ovra:$(openssl passwd -6 secret):19000:0:99999:7:::" >>"$dir/shadow"
    echo "sshd:!:19000:0:99999:7:::" >>"$dir/shadow"
    echo "ovra:x:$uid:" >>"$dir/group"
}

keys() {
    ssh-keygen -q -t ecdsa -N '' -f "$dir/host_ecdsa" &&
        ssh-keygen -q -t rsa -b 2048 -N '' -f "$dir/host_rsa" &&
        ssh-keygen -q -t ed25519 -N '' -f "$dir/host_ed25519" &&
        ssh-keygen -q -t rsa -b 2048 -m PEM -N keypass -f "$dir/client_rsa" &&
        cp "$dir/client_rsa.pub" "$dir/authorized_keys" &&
        ssh-keygen -lf "$dir/host_ecdsa.pub" >"$dir/host_ecdsa.fingerprint"
}

config() {  # NAME ADDRESS HOSTKEY...
    local name=$1 address=$2
    shift 2
    mkdir -p "$dir/$name"
    {
        echo "ListenAddress $address:2222"
        for key in "$@"; do echo "HostKey $dir/$key"; done
        cat <<CONF
PidFile $dir/$name/sshd.pid
UsePAM no
PasswordAuthentication yes
KbdInteractiveAuthentication no
PubkeyAuthentication yes
AuthorizedKeysFile $dir/authorized_keys
StrictModes no
PermitRootLogin no
AllowUsers ovra
UseDNS no
PrintMotd no
LogLevel VERBOSE
Subsystem sftp internal-sftp
CONF
    } >"$dir/$name/sshd_config"
}

# Both daemons in one mount namespace where the account exists.
start() {
    if [ "$(id -u)" != 0 ] || [ ! -x "$binary" ]; then
        echo "ssh: skipped (it needs root, and $binary)"
        return 0
    fi
    mkdir -p "$dir/home/public_html" /run/sshd
    chmod 755 /run/sshd
    accounts && keys || return 1
    chown -R "$uid:$uid" "$dir/home"
    config ssh "${OVRA_SSH_ADDRESS:-127.0.1.40}" host_ecdsa host_rsa
    config ssh-ed25519 "${OVRA_SSH_ED25519_ADDRESS:-127.0.1.41}" host_ed25519
    unshare --mount --propagation private bash -c '
        for f in passwd shadow group; do mount --bind "$1/$f" "/etc/$f" || exit 1; done
        "$2" -f "$1/ssh/sshd_config" -E "$1/ssh/sshd.log" &&
            "$2" -f "$1/ssh-ed25519/sshd_config" -E "$1/ssh-ed25519/sshd.log"' - "$dir" "$binary"
}

stop() {
    local pid
    for name in ssh ssh-ed25519; do
        pid=$(cat "$dir/$name/sshd.pid" 2>/dev/null) && kill "$pid" 2>/dev/null
    done
    return 0
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
