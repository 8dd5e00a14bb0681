#!/usr/bin/env bash
# archive_arch_test.sh DIR: the release archives in DIR hold exactly the files that the
# README's table "What each archive holds" lists, each built for the system and
# architecture the table gives, besides README.md and LICENSE; and every tamberlo.exe in
# them carries the version of the archive's name in its version resource.
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The table's rows: | `tamberlo-VERSION-KIND.EXT` | `PATH` | DESCRIPTION |
rows=$(sed -n 's/^| `tamberlo-VERSION-\([a-z-]*\)\.[a-z.]*` | `\([^`]*\)` | \([^|]*\) |$/\1 \2 \3/p' README.md)
[ -n "$rows" ] || { echo "FAIL: README.md has no table of the archives' files" >&2; exit 1; }

expected_arch() { # "Windows, 32-bit (i686)..." as scripts/file-arch.sh names it
    case "$*" in
    "Windows, 32-bit (i686)"*) echo "windows i686" ;;
    "Windows, 64-bit (x86-64)"*) echo "windows x86_64" ;;
    "Linux, 64-bit (x86-64)"*) echo "linux x86_64" ;;
    "shell script"*) echo "other" ;;
    *) echo "unknown: $*" ;;
    esac
}

# The version in a PE file's fixed file info (after its signature 0xFEEF04BD) as a.b.c.d.
file_version() {
    local at ms ls
    at=$(LC_ALL=C grep -obUaP '\xbd\x04\xef\xfe' "$1" | head -n 1 | cut -d: -f1)
    [ -n "$at" ] || return 1
    ms=$(od -An -tu4 -j $((at + 8)) -N 4 "$1" | tr -d ' ')
    ls=$(od -An -tu4 -j $((at + 12)) -N 4 "$1" | tr -d ' ')
    echo "$((ms >> 16)).$((ms & 0xFFFF)).$((ls >> 16)).$((ls & 0xFFFF))"
}

for kind in windows simulated-board linux-port; do
    archive=""
    for candidate in "$dir"/tamberlo-*-"$kind".zip "$dir"/tamberlo-*-"$kind".tar.gz; do
        [ -f "$candidate" ] && archive=$candidate
    done
    [ -n "$archive" ] || { fail "no $kind archive in $dir"; continue; }
    name=$(basename "$archive")
    name=${name%.zip}
    name=${name%.tar.gz}
    version=${name#tamberlo-}
    version=${version%-"$kind"}
    mkdir -p "$work/$kind"
    case "$archive" in
    *.zip) unzip -q "$archive" -d "$work/$kind" ;;
    *) tar -C "$work/$kind" -xzf "$archive" ;;
    esac
    root=$work/$kind/$name
    listed=$(mktemp -p "$work")
    printf 'LICENSE\nREADME.md\n' >"$listed"
    while read -r row_kind path description; do
        [ "$row_kind" = "$kind" ] || continue
        echo "$path" >>"$listed"
        [ -f "$root/$path" ] || { fail "$name: $path is missing"; continue; }
        want=$(expected_arch "$description")
        got=$(scripts/file-arch.sh "$root/$path")
        [ "$got" = "$want" ] || fail "$name: $path is '$got', the README says '$description'"
        if [ "$(basename "$path")" = tamberlo.exe ]; then
            got=$(file_version "$root/$path" || echo none)
            [ "$got" = "$version" ] || fail "$name: $path carries version $got, not $version"
        fi
    done <<<"$rows"
    unlisted=$(cd "$root" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(sort "$listed"))
    [ -z "$unlisted" ] || fail "$name holds files the README does not list: $unlisted"
done

[ "$failures" = 0 ] && echo "release archives: the files and architectures of the README"
exit $((failures > 0))
