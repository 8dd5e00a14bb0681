#!/usr/bin/env bash
# Runs a Windows program under Wine with the build's own prefix (never ~/.wine), with
# the Wine loader that matches the program file: 64-bit Wine for a 64-bit program.
# CMake uses it as the emulator for every test of the Windows builds.
here=$(cd "$(dirname "$0")/.." && pwd)
. "$here/scripts/wine-env.sh"
exec "$(wine_loader_for "$1")" "$@"
