#!/usr/bin/env bash
# Builds the SSH library Ovra links for SFTP postings: libssh2 (Debian trixie's source
# package, 1.11.x) over mbedTLS 2.28 (Debian bookworm's), both static, cross-built with
# MinGW-w64 for one architecture. Usage: tools/ssh/build.sh x86_64|i686 [ROOT]
# Installs into ROOT/build/ssh/ARCH (include/, lib/) and keeps the Debian sources under
# ROOT/build/ssh/src, so a second run with nothing changed only checks a stamp.
set -eu
arch=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=${2:-$(cd "$here/../.." && pwd)}
base=$root/build/ssh
src=$base/src
prefix=$base/$arch
libssh2_suite=trixie
mbedtls_suite=bookworm
mbedtls_version=2.28.3-1

# The stamp names everything that shapes the result: a change to this script or to the
# unpacked sources' versions builds again.
stamp_text=$(cat "${BASH_SOURCE[0]}" "$here/mbedtls-user.h" "$here"/patches/*.patch)
if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp_text" ] &&
   [ -f "$prefix/lib/libssh2.a" ] && [ -f "$prefix/lib/libmbedcrypto.a" ]; then
    exit 0
fi

. "$here/../ensure-packages.sh"
ensure_packages || exit 1

# The source packages come through apt with a list of its own (deb-src lines for the two
# suites, on the machine's own Debian mirror), so the system's apt configuration is left
# as it is.
fetch_sources() {
    local apt=$src/apt mirror
    mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources 2>/dev/null)
    [ -n "$mirror" ] || mirror=$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list)
    mkdir -p "$apt/lists/partial"
    printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] %s %s main\n' \
        "$mirror" "$libssh2_suite" "$mirror" "$mbedtls_suite" >"$apt/sources.list"
    local opts=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                -o Dir::State::Lists="$apt/lists" -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" -qq update
    (cd "$src" && apt-get "${opts[@]}" -qq source "libssh2/$libssh2_suite" "mbedtls=$mbedtls_version")
}
# Unpacked again from the downloads kept beside them when only the folders are gone.
unpack_kept() {
    local dsc
    rm -rf "$src"/libssh2-1.11.*/ "$src/mbedtls-${mbedtls_version%-*}"
    for dsc in "$src"/libssh2_1.11.*.dsc "$src/mbedtls_$mbedtls_version.dsc"; do
        [ -f "$dsc" ] || return 1
        (cd "$src" && dpkg-source -q -x "$(basename "$dsc")" >/dev/null 2>&1) || return 1
    done
}
mkdir -p "$src"
if ! ls -d "$src"/libssh2-1.11.*/ >/dev/null 2>&1 || ! [ -d "$src/mbedtls-${mbedtls_version%-*}" ]; then
    if ! unpack_kept; then
        rm -rf "$src"/libssh2* "$src"/mbedtls*
        fetch_sources
    fi
fi
libssh2_dir=$(ls -d "$src"/libssh2-1.11.*/ | head -1)
libssh2_dir=${libssh2_dir%/}
mbedtls_dir=$src/mbedtls-${mbedtls_version%-*}
# Fixes of ours on top of Debian's patches, each applied once.
for patch in "$here"/patches/*.patch; do
    patch -d "$libssh2_dir" -p1 -R -s -f --dry-run <"$patch" >/dev/null 2>&1 ||
        patch -d "$libssh2_dir" -p1 -s <"$patch"
done

toolchain=$here/../toolchains/$arch-w64-mingw32.cmake
# Like the program itself: the system's printf, not MinGW's; the 64-bit clock on i686 too
# (MinGW's 32-bit time_t ends in January 2038); sections the linker can drop.
cflags="-Os -D__USE_MINGW_ANSI_STDIO=0 -D__MINGW_USE_VC2005_COMPAT -ffunction-sections -fdata-sections"
# mbedTLS trimmed to what libssh2 uses (mbedtls-user.h), in both builds alike.
trim="-I$here -DMBEDTLS_USER_CONFIG_FILE=\"<mbedtls-user.h>\""
work=$base/work-$arch
rm -rf "$work" "$prefix"
mkdir -p "$work"

cmake -S "$mbedtls_dir" -B "$work/mbedtls" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS_MINSIZEREL="$cflags" -DCMAKE_C_FLAGS="$trim" \
    -DENABLE_PROGRAMS=OFF -DENABLE_TESTING=OFF -DUSE_SHARED_MBEDTLS_LIBRARY=OFF \
    -DUSE_STATIC_MBEDTLS_LIBRARY=ON -DMBEDTLS_FATAL_WARNINGS=OFF -DINSTALL_MBEDTLS_HEADERS=ON \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/mbedtls" -j2 --target install >/dev/null

cmake -S "$libssh2_dir" -B "$work/libssh2" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DCMAKE_C_FLAGS_MINSIZEREL="$cflags" -DCMAKE_C_FLAGS="$trim" \
    -DCRYPTO_BACKEND=mbedTLS -DMBEDTLS_INCLUDE_DIR="$prefix/include" \
    -DMBEDCRYPTO_LIBRARY="$prefix/lib/libmbedcrypto.a" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_STATIC_LIBS=ON -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF \
    -DENABLE_ZLIB_COMPRESSION=OFF -DENABLE_DEBUG_LOGGING=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/libssh2" -j2 --target install >/dev/null

# The licences ship with the release.
cp "$libssh2_dir/COPYING" "$prefix/LICENSE-libssh2.txt"
cp "$mbedtls_dir/LICENSE" "$prefix/LICENSE-mbedtls.txt"
rm -rf "$work"
printf '%s' "$stamp_text" >"$prefix/stamp"
