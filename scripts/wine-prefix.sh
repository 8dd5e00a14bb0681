# Sourced by the scripts that run the program under Wine: the build's own Wine prefix
# (never ~/.wine), made once, with Wine's Marlett font in it so that the caption
# buttons draw as symbols rather than the letters "0 1 r".
export WINEPREFIX="${TAMBERLO_WINEPREFIX:-$PWD/build/wineprefix}"
export TAMBERLO_WINEPREFIX="$WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
marlett=/usr/share/wine/fonts/marlett.ttf
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -f "$marlett" ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts"
  cp "$marlett" "$fonts/"
fi
