# Sourced by every script that runs a program of ours under Wine: the one place that
# knows which Wine loader to start and which prefix to use.
#
#   wine_loader ARCH        the Wine loader for i686 or x86_64 programs. Not Debian's
#                           `wine`, which picks the 32-bit loader whenever wine32 is
#                           installed, even for a 64-bit program and on a kernel that
#                           runs no 32-bit programs.
#   wine_loader_for FILE    the loader for a program file, read from its PE header
#   wine_can_run ARCH       true when this host starts that loader
#   wine_prepare ARCH       exports WINEPREFIX: the build's own prefix for ARCH (never
#                           ~/.wine), made once, with Wine's Marlett font in it so that
#                           the caption buttons draw as symbols, not the letters "0 1 r"
#
# TAMBERLO_WINEPREFIX_BASE moves the prefixes (default build/wineprefix; the prefixes
# are that path with -i686 or -x86_64 appended).
tamberlo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_loader() {
    local candidate
    case "$1" in
    x86_64) for candidate in /usr/lib/wine/wine64 "$(command -v wine64)" "$(command -v wine)"; do
            [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
        done ;;
    i686) for candidate in /usr/lib/wine/wine "$(command -v wine)"; do
            [ -n "$candidate" ] && [ -x "$candidate" ] && { echo "$candidate"; return 0; }
        done ;;
    esac
    echo wine
}

# The machine field of the PE header: 0x8664 for x86_64, 0x014c for i686.
wine_loader_for() {
    local offset machine
    offset=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    machine=$(od -An -tx2 -j $((${offset:-0} + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    if [ "$machine" = 014c ]; then
        wine_prepare i686
        wine_loader i686
    else
        wine_prepare x86_64
        wine_loader x86_64
    fi
}

wine_can_run() {
    "$(wine_loader "$1")" --version >/dev/null 2>&1
}

wine_prepare() {
    local arch=$1 winearch=win64
    [ "$arch" = i686 ] && winearch=win32
    export WINEPREFIX="${TAMBERLO_WINEPREFIX_BASE:-$tamberlo_root/build/wineprefix}-$arch"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        WINEARCH=$winearch "$(wine_loader "$arch")" wineboot -i >/dev/null 2>&1
        # The registry reaches its files only when the server ends.
        wineserver -w 2>/dev/null || true
    fi
    local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ]; then
        mkdir -p "$fonts"
        cp "$marlett" "$fonts/"
    fi
}
