#!/usr/bin/env bash
# file-arch.sh FILE: prints what a program file is built for: "windows i686",
# "windows x86_64", "linux i686", "linux x86_64", or "other" (a script, text, anything
# else). It reads the PE header of a Windows program or DLL and the ELF header of a
# Linux program, nothing more.
set -u
file=$1
magic=$(od -An -c -N 4 "$file" 2>/dev/null | tr -d ' ')
if [ "${magic:0:2}" = MZ ]; then
    offset=$(od -An -tu4 -j 60 -N 4 "$file" | tr -d ' ')
    signature=$(od -An -c -j "$offset" -N 2 "$file" | tr -d ' ')
    machine=$(od -An -tx2 -j $((offset + 4)) -N 2 "$file" | tr -d ' ')
    case "$signature/$machine" in
    PE/014c) echo "windows i686" ;;
    PE/8664) echo "windows x86_64" ;;
    *) echo other ;;
    esac
elif [ "$magic" = '177ELF' ]; then
    machine=$(od -An -tu2 -j 18 -N 2 "$file" | tr -d ' ')
    case "$machine" in
    3) echo "linux i686" ;;
    62) echo "linux x86_64" ;;
    *) echo other ;;
    esac
else
    echo other
fi
