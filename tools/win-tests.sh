#!/usr/bin/env bash
# The Windows tests under Wine, with the real and scripted servers they talk to. Run by
# tools/test-all inside a private network namespace (loopback only), so nothing a test does
# can reach another machine: name look-ups go to the tests' own name server, and the TLS
# servers' host names are in a hosts file of the namespace's own (Wine ignores addresses
# in certificates). Arguments go to ctest (e.g. -R post_test).
set -u
cd "$(dirname "$0")/.."
. tools/wine-env.sh
export OVRA_TEST_TMP=$(mktemp -d /tmp/ovra-test.XXXXXX)
chmod 755 "$OVRA_TEST_TMP"

if [ "${OVRA_PRIVATE_NET:-}" = 1 ]; then
    ip link set lo up
    echo "nameserver 127.0.0.53" >"$OVRA_TEST_TMP/resolv.conf"
    mount --bind "$OVRA_TEST_TMP/resolv.conf" /etc/resolv.conf
    { cat /etc/hosts; cat <<HOSTS; } >"$OVRA_TEST_TMP/hosts"
127.0.0.5 www.ovra.test
127.0.0.6 ftps.ovra.test wrong.ovra.test
127.0.0.7 vsftps.ovra.test
127.0.0.8 unknown.ovra.test
HOSTS
    mount --bind "$OVRA_TEST_TMP/hosts" /etc/hosts
fi

cleanup() {
    for s in tests/servers/*.sh; do bash "$s" stop >/dev/null 2>&1; done
    wine_env_stop
    rm -rf "$OVRA_TEST_TMP"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

status=0
# A Japanese locale of our own (LOCPATH), for the test that needs code page 932.
locale=build/x86_64/locale/ja_JP.UTF-8
if [ ! -d "$locale" ]; then
    mkdir -p "$(dirname "$locale")" && localedef -i ja_JP -f UTF-8 "$locale" ||
        { echo "cannot build $locale"; status=1; }
fi
wine_env_start "$OVRA_TEST_TMP/wine"
wine_env_services
for s in tests/servers/*.sh; do
    bash "$s" start || { echo "cannot start $(basename "$s" .sh)"; status=1; }
done
(cd build/x86_64 && ctest --output-on-failure "$@") || status=1
exit $status
