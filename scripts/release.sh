#!/usr/bin/env bash
# Builds the three release archives into build/release/, each with README.md and LICENSE:
#   tamberlo-<version>-windows.zip          tamberlo.exe (real printer ports; InpOut32's
#                                           inpout32.dll is the user's to add)
#   tamberlo-<version>-simulated-board.zip  the same tamberlo.exe and the simulated
#                                           board's inpout32.dll
#   tamberlo-<version>-linux-port.tar.gz    the same tamberlo.exe, the bridge's
#                                           inpout32.dll, tamberlo-ppdev, tamberlo-linux
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target tamberlo tamberlo_inpout32_sim bridge_inpout32 bridge_host

# The version as the program file carries it: FILEVERSION 1, 0, 0, 1 -> 1.0.0.1
version=$(sed -n 's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' res/tamberlo.rc)
[ -n "$version" ] || { echo "release: no FILEVERSION in res/tamberlo.rc" >&2; exit 1; }
build=build/windows
out=build/release
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# archive NAME KIND FILE...: a folder NAME holding the files, README.md and LICENSE.
archive() {
  local name=$1 kind=$2
  shift 2
  mkdir "$stage/$name"
  cp "$@" README.md LICENSE "$stage/$name/"
  rm -f "$out/$name.zip" "$out/$name.tar.gz"
  if [ "$kind" = zip ]; then
    (cd "$stage" && zip -q -r -X "$OLDPWD/$out/$name.zip" "$name")
  else
    tar -C "$stage" --owner=0 --group=0 --numeric-owner --sort=name -czf "$out/$name.tar.gz" "$name"
  fi
  echo "release: $out/$(basename "$name").$( [ "$kind" = zip ] && echo zip || echo tar.gz)"
}

archive "tamberlo-$version-windows" zip "$build/tamberlo.exe"
archive "tamberlo-$version-simulated-board" zip "$build/tamberlo.exe" "$build/inpout32.dll"
archive "tamberlo-$version-linux-port" tar \
  "$build/tamberlo.exe" "$build/bridge/inpout32.dll" "$build/bridge/tamberlo-ppdev" \
  "$build/bridge/tamberlo-linux"
echo "release: one tamberlo.exe in all three, sha256 $(sha256sum "$build/tamberlo.exe" | cut -d' ' -f1)"
