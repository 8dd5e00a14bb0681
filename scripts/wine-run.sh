#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's own prefix (never ~/.wine).
# CMake uses it as the emulator for every test of the Windows builds.
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${TAMBERLO_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
