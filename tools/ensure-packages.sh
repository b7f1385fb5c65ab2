# Sourced: installs the Debian packages the build and the tests need, when any is missing.
OVRA_PACKAGES="cmake make g++ binutils clang libclang-rt-14-dev googletest libgtest-dev python3
 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
 wine64 libz-mingw-w64 libc6-i386 xvfb xauth x11-utils imagemagick socat fingerd nginx-light proftpd-basic curl zip unzip iproute2 util-linux"

ensure_packages() {
    local missing=
    for p in $OVRA_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing="$missing $p"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    local sudo=
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq || return 1
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null || return 1
}
