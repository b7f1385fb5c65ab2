#!/usr/bin/env bash
# The Windows tests under Wine, with the real and scripted servers they talk to, for each
# build named (default x86_64; i686 runs under tools/wine32). Arguments after -- go to ctest,
# e.g. tools/win-tests.sh i686 -- -R shell_test. Run by tools/test-all inside a private
# network namespace (loopback only), so nothing a test does can reach another machine: name
# look-ups go to the tests' own name server, and the TLS servers' host names are in a hosts
# file of the namespace's own (Wine ignores addresses in certificates).
set -u
cd "$(dirname "$0")/.."
. tools/wine-env.sh
arches=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do arches+=("$1"); shift; done
[ "${1:-}" = -- ] && shift
[ ${#arches[@]} -eq 0 ] && arches=(x86_64)
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
127.0.0.171 forged.ovra.test
127.0.0.172 revoked.ovra.test
127.0.0.173 offline.ovra.test
127.0.0.175 renegotiate.ovra.test
127.0.0.222 web.ovra.test
127.0.1.21 umask.ovra.test
127.0.1.22 reuse.ovra.test
127.0.1.23 stock.ovra.test
127.0.1.24 implicit.ovra.test
127.0.1.26 pure.ovra.test
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

# Help pages open in the desktop's web browser, as in the demo's prefix, which is made the
# same way (no HTML engine, so no .html association): Wine's browser bridge runs the first
# of its usual browsers on PATH, here xdg-open, a recorder that notes each address it is
# asked to open, one line of $OVRA_TEST_TMP/browser.log. Nothing in the prefix is changed.
browser_recorder() {
    mkdir -p "$OVRA_TEST_TMP/bin"
    printf '#!/bin/sh\necho "$*" >>"%s"\n' "$OVRA_TEST_TMP/browser.log" >"$OVRA_TEST_TMP/bin/xdg-open"
    chmod +x "$OVRA_TEST_TMP/bin/xdg-open"
    export PATH="$OVRA_TEST_TMP/bin:$PATH"
}

# A Japanese locale of our own (LOCPATH), for the test that needs code page 932.
japanese_locale() {
    [ -d "$1" ] && return 0
    mkdir -p "$(dirname "$1")" && localedef -i ja_JP -f UTF-8 "$1" || { echo "cannot build $1"; return 1; }
}

status=0
for s in tests/servers/*.sh; do
    bash "$s" start || { echo "cannot start $(basename "$s" .sh)"; status=1; }
done
for arch in "${arches[@]}"; do
    echo "== windows tests of the $arch build"
    japanese_locale "build/$arch/locale/ja_JP.UTF-8" || status=1
    wine_env_arch "$arch"
    wine_env_start "$OVRA_TEST_TMP/wine-$arch"
    wine_env_services
    browser_recorder
    (cd "build/$arch" && ctest --output-on-failure "$@") || status=1
    wine_env_stop
done
exit $status
