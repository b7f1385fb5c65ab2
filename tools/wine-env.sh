# Sourced by the run and test scripts: a private Wine prefix and a virtual display.
# Never touches ~/.wine. Call wine_env_start, then wine_env_stop (also from a trap).

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)
WINE_ENV_TOOLS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Which Wine runs the next prefix: the 64-bit one, or for the i686 build the private 32-bit
# one of tools/wine32.sh (same wineserver).
wine_env_arch() {  # $1: x86_64 or i686
    if [ "$1" = i686 ]; then WINE="$WINE_ENV_TOOLS/wine32"; else WINE=/usr/lib/wine/wine64; fi
}

# Waits for the prefix's processes to end. They end a few seconds after wineboot, but on a
# loaded machine some have been seen to linger for good: after a minute they are ended.
wine_env_settle() {
    timeout 60 "$WINESERVER" -w || { "$WINESERVER" -k; "$WINESERVER" -w; }
}

wine_env_start() {
    local base=${1:-$(mktemp -d /tmp/ovra-wine.XXXXXX)}
    mkdir -p "$base"
    export WINEPREFIX="$base/prefix"
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export WINEDEBUG=-all
    if [ -z "${OVRA_KEEP_DISPLAY:-}" ]; then
        # Xvfb picks a free display itself and names it: two runs at once never take the same.
        local named="$base/display"
        rm -f "$named"
        Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$named" >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do [ -s "$named" ] && break; sleep 0.1; done
        export DISPLAY=":$(head -n1 "$named")"
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        "$WINE" wineboot --init >/dev/null 2>&1
        wine_env_settle
        # Without a window manager every modal close stalls two seconds unless unmanaged.
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
        wine_env_settle
    fi
    "$WINESERVER" -p >/dev/null 2>&1
    # Start the prefix's background processes now, with their output going nowhere: when a
    # test program starts them they inherit its pipes and ctest waits for them forever.
    "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null
}

# Ovra's settings file in the prefix, %APPDATA%\Ovra\ovra.ini, with its folder made.
wine_env_ini() {
    local roaming
    for roaming in "$WINEPREFIX"/drive_c/users/*/AppData/Roaming; do
        [ -d "$roaming" ] && break
    done
    [ -d "$roaming" ] || return 1
    mkdir -p "$roaming/Ovra" && echo "$roaming/Ovra/ovra.ini"
}

# Maps the services to unprivileged ports inside the prefix only.
wine_env_services() {
    local etc="$WINEPREFIX/drive_c/windows/system32/drivers/etc"
    mkdir -p "$etc"
    cat >"$etc/services" <<SERVICES
ftp		${OVRA_FTP_PORT:-2121}/tcp
finger		${OVRA_FINGER_PORT:-7979}/tcp
http		${OVRA_HTTP_PORT:-8080}/tcp
https		${OVRA_HTTPS_PORT:-8443}/tcp
SERVICES
}

wine_env_stop() {
    [ -n "${WINEPREFIX:-}" ] && "$WINESERVER" -k >/dev/null 2>&1
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}
