# Sourced: installs the Debian packages the build and the tests need, when any is missing.
OVRA_PACKAGES="cmake make g++ binutils clang libclang-rt-14-dev googletest libgtest-dev python3 locales
 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
 wine64 libz-mingw-w64 libc6-i386 xvfb xauth x11-utils imagemagick socat fingerd finger nginx-light proftpd-basic proftpd-mod-crypto
 openssl lighttpd curl zip unzip iproute2 util-linux openssh-client dpkg-dev patch libsodium23 libident python3-pyftpdlib"
# Packages that conflict with the ones above (vsftpd and pure-ftpd are other "ftp-server"s,
# efingerd another "finger-server") or would start
# a service of the system's on install (openssh-server): unpacked into
# build/debs/NAME and run from there, never installed.
OVRA_UNPACKED="vsftpd pure-ftpd efingerd openssh-server"

# Arguments name further packages that one script alone needs (tools/bench: tcpdump).
ensure_packages() {
    local missing=
    for p in $OVRA_PACKAGES "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get -o DPkg::Lock::Timeout=600 update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing >/dev/null || return 1
}

ensure_unpacked() {
    local root
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/debs
    mkdir -p "$root"
    for p in $OVRA_UNPACKED; do
        [ -d "$root/$p" ] && continue
        (cd "$root" && { apt-get download -qq "$p" 2>/dev/null ||
            { apt-get -o DPkg::Lock::Timeout=600 update -qq && apt-get download -qq "$p"; }; } &&
            dpkg -x "$root"/"$p"_*.deb "$root/$p") || return 1
    done
}
