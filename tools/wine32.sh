# Sourced by tools/test-all: a private 32-bit Wine that runs the i686 build, unpacked from
# Debian's own i386 packages into build/wine32 and kept there for the next run. It is never
# installed: installing wine32:i386 would upgrade dozens of amd64 packages. tools/wine32 runs
# it. wine32_prepare returns 0 when it is ready, or prints why the 32-bit build cannot run.
WINE32_HOME="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine32"

# A tiny static i386 program that exits with 42 runs only where the kernel runs 32-bit code.
kernel_runs_32bit() {
    local dir status
    dir=$(mktemp -d /tmp/ovra-ia32.XXXXXX) || return 1
    printf '.globl _start\n_start: movl $1, %%eax\nmovl $42, %%ebx\nint $0x80\n' >"$dir/probe.s"
    as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
        ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null &&
        { "$dir/probe" 2>/dev/null; status=$?; }
    rm -rf "$dir"
    [ "${status:-0}" -eq 42 ]
}

wine32_as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The i386 packages (name:i386=version) that installing wine32:i386 would add.
wine32_package_list() {
    apt-get install -s --no-install-recommends wine32:i386 2>/dev/null |
        sed -n 's/^Inst \([^ ]*:i386\) \(\[[^]]*\] \)\{0,1\}(\([^ ]*\) .*/\1=\3/p'
}

# Wine loads zlib only as a builtin DLL: the MinGW build with Wine's marker at byte 64, as
# Debian's libwine makes it for the installed architectures.
wine32_builtin_zlib() {
    local in=/usr/i686-w64-mingw32/lib/zlib1.dll
    local out="$WINE32_HOME/root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
    [ -f "$in" ] || return 1
    {
        head -c 64 "$in"
        printf 'Wine builtin DLL\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
        tail -c +97 "$in"
    } >"$out"
}

wine32_unpack() {
    local list debs="$WINE32_HOME/debs" root="$WINE32_HOME/root"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        echo "Adding the i386 architecture to apt (for the 32-bit Wine packages)"
        wine32_as_root dpkg --add-architecture i386 &&
            wine32_as_root apt-get -o DPkg::Lock::Timeout=600 update -qq || return 1
    fi
    list=$(wine32_package_list)
    if [ -z "$list" ]; then
        echo "apt offers no wine32:i386 to unpack"
        return 1
    fi
    echo "Unpacking $(echo "$list" | wc -l) i386 packages of 32-bit Wine into $WINE32_HOME"
    rm -rf "$debs" "$root"
    mkdir -p "$debs" "$root"
    # shellcheck disable=SC2086
    (cd "$debs" && apt-get download -qq $list 2>/dev/null) || { echo "cannot download them"; return 1; }
    local deb
    for deb in "$debs"/*.deb; do
        dpkg -x "$deb" "$root" || return 1
    done
    wine32_builtin_zlib || { echo "no /usr/i686-w64-mingw32/lib/zlib1.dll (libz-mingw-w64)"; return 1; }
    rm -rf "$debs"
    echo "$list" | sed -n 's/^libc6:i386=//p' >"$WINE32_HOME/libc-version"
    touch "$WINE32_HOME/ready"
}

# The unpacked C library runs under the system's 32-bit loader (libc6-i386): same version.
wine32_libc_matches() {
    local unpacked
    unpacked=$(cat "$WINE32_HOME/libc-version" 2>/dev/null)
    [ -z "$unpacked" ] || [ "$unpacked" = "$(dpkg-query -W -f='${Version}' libc6-i386 2>/dev/null)" ]
}

wine32_ready() {
    [ -f "$WINE32_HOME/ready" ] && [ -x "$WINE32_HOME/root/usr/lib/wine/wine" ] && wine32_libc_matches
}

wine32_prepare() {
    if ! kernel_runs_32bit; then
        echo "This kernel cannot run 32-bit code: the i686 build is compiled but not tested."
        return 1
    fi
    wine32_ready && return 0
    if wine32_unpack; then
        wine32_ready && return 0
        echo "The unpacked C library differs from the system's libc6-i386 (upgrade it)."
    fi
    echo "32-bit Wine is not available: the i686 build is compiled but not tested."
    return 1
}
