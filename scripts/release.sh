#!/usr/bin/env bash
# Builds the three release archives into build/release/, each with README.md and LICENSE.
# Beside every tamberlo.exe lies the console program tamberlo-cli.exe of the same build.
#   tamberlo-<version>-windows.zip          the 32-bit tamberlo.exe, for every Windows
#                                           (InpOut32's inpout32.dll is the user's to add)
#   tamberlo-<version>-simulated-board.zip  the 32-bit tamberlo.exe with the simulated
#                                           board's inpout32.dll, and in x64/ the 64-bit
#                                           pair (tamberlo.exe, inpoutx64.dll)
#   tamberlo-<version>-linux-port.tar.gz    the 64-bit tamberlo.exe, the bridge as
#                                           inpoutx64.dll, tamberlo-ppdev, tamberlo-linux
# Every file is checked for its architecture before it is packed.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target tamberlo tamberlo-cli tamberlo_inpout_sim
cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 -j "$(nproc)" --target tamberlo tamberlo-cli \
  tamberlo_inpout_sim bridge_inpout bridge_host

# The version as the program file carries it: FILEVERSION 1, 0, 0, 1 -> 1.0.0.1
version=$(sed -n 's/^FILEVERSION *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1.\2.\3.\4/p' res/tamberlo.rc)
[ -n "$version" ] || { echo "release: no FILEVERSION in res/tamberlo.rc" >&2; exit 1; }
win32=build/windows
win64=build/windows-x64
out=build/release
mkdir -p "$out"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# archive NAME KIND SOURCE:PLACE:ARCH...: a folder NAME holding each SOURCE at PLACE
# (a path inside the folder), README.md and LICENSE. ARCH is what SOURCE must be built
# for, as scripts/file-arch.sh names it ("script" for a text file).
archive() {
  local name=$1 kind=$2 entry source place arch actual
  shift 2
  mkdir "$stage/$name"
  for entry in "$@"; do
    IFS=: read -r source place arch <<<"$entry"
    actual=$(scripts/file-arch.sh "$source")
    [ "$actual" = other ] && [ "$arch" = script ] && actual=script
    if [ "$actual" != "$arch" ]; then
      echo "release: $source is '$actual', not '$arch'" >&2
      exit 1
    fi
    mkdir -p "$(dirname "$stage/$name/$place")"
    cp "$source" "$stage/$name/$place"
  done
  cp README.md LICENSE "$stage/$name/"
  rm -f "$out/$name.zip" "$out/$name.tar.gz"
  if [ "$kind" = zip ]; then
    (cd "$stage" && zip -q -r -X "$OLDPWD/$out/$name.zip" "$name")
    echo "release: $out/$name.zip"
  else
    tar -C "$stage" --owner=0 --group=0 --numeric-owner --sort=name -czf "$out/$name.tar.gz" "$name"
    echo "release: $out/$name.tar.gz"
  fi
}

archive "tamberlo-$version-windows" zip \
  "$win32/tamberlo.exe:tamberlo.exe:windows i686" \
  "$win32/tamberlo-cli.exe:tamberlo-cli.exe:windows i686"
archive "tamberlo-$version-simulated-board" zip \
  "$win32/tamberlo.exe:tamberlo.exe:windows i686" \
  "$win32/tamberlo-cli.exe:tamberlo-cli.exe:windows i686" \
  "$win32/inpout32.dll:inpout32.dll:windows i686" \
  "$win64/tamberlo.exe:x64/tamberlo.exe:windows x86_64" \
  "$win64/tamberlo-cli.exe:x64/tamberlo-cli.exe:windows x86_64" \
  "$win64/inpoutx64.dll:x64/inpoutx64.dll:windows x86_64"
archive "tamberlo-$version-linux-port" tar \
  "$win64/tamberlo.exe:tamberlo.exe:windows x86_64" \
  "$win64/tamberlo-cli.exe:tamberlo-cli.exe:windows x86_64" \
  "$win64/bridge/inpoutx64.dll:inpoutx64.dll:windows x86_64" \
  "$win64/bridge/tamberlo-ppdev:tamberlo-ppdev:linux x86_64" \
  "$win64/bridge/tamberlo-linux:tamberlo-linux:script"
echo "release: 32-bit tamberlo.exe sha256 $(sha256sum "$win32/tamberlo.exe" | cut -d' ' -f1)"
echo "release: 64-bit tamberlo.exe sha256 $(sha256sum "$win64/tamberlo.exe" | cut -d' ' -f1)"
echo "release: 32-bit tamberlo-cli.exe sha256 $(sha256sum "$win32/tamberlo-cli.exe" | cut -d' ' -f1)"
echo "release: 64-bit tamberlo-cli.exe sha256 $(sha256sum "$win64/tamberlo-cli.exe" | cut -d' ' -f1)"
