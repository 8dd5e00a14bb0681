#!/usr/bin/env bash
# import_table_test.sh DIR: every tamberlo.exe and tamberlo-cli.exe in the release archives in
# DIR imports exactly the functions that the list of its program and architecture names
# (tests/release/imports-i686.txt, imports-x86_64.txt for tamberlo.exe, imports-cli-i686.txt,
# imports-cli-x86_64.txt for tamberlo-cli.exe: one DLL!function a line). A program that imports a function some
# Windows lacks does not start there at all, so a new import is a decision: when this test
# fails, check the new function against the oldest Windows the README promises, then update
# the list. It reads the files with the MinGW-w64 objdump and runs no Windows program.
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

# DLL!function for each function imported by name, the DLL's name in lower case, sorted.
imports() { # FILE ARCH
    "$2-w64-mingw32-objdump" -p "$1" | awk '
        /^The Import Tables/ { inside = 1; next }
        /^The [A-Z]/ { inside = 0 }
        inside && /DLL Name:/ { dll = tolower($3); next }
        inside && dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]/ { print dll "!" $3 }
    ' | LC_ALL=C sort -u
}

for archive in "$dir"/tamberlo-*.zip "$dir"/tamberlo-*.tar.gz; do
    [ -f "$archive" ] || continue
    unpacked=$work/$(basename "$archive")
    mkdir -p "$unpacked"
    case "$archive" in
    *.zip) unzip -q "$archive" -d "$unpacked" ;;
    *) tar -C "$unpacked" -xzf "$archive" ;;
    esac
    while IFS= read -r program; do
        name=$(basename "$archive")/${program#"$unpacked"/*/}
        arch=$(scripts/file-arch.sh "$program")
        case "$arch" in
        "windows i686") arch=i686 ;;
        "windows x86_64") arch=x86_64 ;;
        *) echo "FAIL: $name is '$arch', no Windows program" >&2; failures=$((failures + 1)); continue ;;
        esac
        list=tests/release/imports-$arch.txt
        [ "$(basename "$program")" = tamberlo-cli.exe ] && list=tests/release/imports-cli-$arch.txt
        checked=$((checked + 1))
        if ! difference=$(diff <(LC_ALL=C sort -u "$list") <(imports "$program" "$arch")); then
            echo "FAIL: $name imports other functions than $list lists (< listed only, > imported only):" >&2
            echo "$difference" | grep '^[<>]' >&2
            failures=$((failures + 1))
        fi
    done < <(find "$unpacked" \( -name tamberlo.exe -o -name tamberlo-cli.exe \) | sort)
done

[ "$checked" -gt 0 ] || { echo "FAIL: no tamberlo.exe in the archives in $dir" >&2; exit 1; }
[ "$failures" = 0 ] && echo "release archives: every tamberlo.exe and tamberlo-cli.exe imports what its list names"
exit $((failures > 0))
