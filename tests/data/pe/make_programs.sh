#!/usr/bin/env bash
# Makes the small Windows program files the program-icon reader's tests read:
# a one-instruction program linked with icon resources made by windres from
# the icon files in ../icons. Needs binutils-mingw-w64-i686 and
# binutils-mingw-w64-x86-64 (windres runs the host cpp as its preprocessor).
#   tests/data/pe/make_programs.sh
# The files are committed; the tests never run this script.
set -euo pipefail
cd "$(dirname "$0")"
icons=$(cd ../icons && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '\t.text\n\t.globl start\nstart:\n\tret\n' >"$work/start.s"

# program <name> <i686|x86_64> [resource script text]
program() {
    local name=$1 arch=$2 rc=${3:-}
    local tools=$arch-w64-mingw32
    local objects=("$work/$name.o")
    "$tools-as" -o "$work/$name.o" "$work/start.s"
    if [ -n "$rc" ]; then
        printf '%s\n' "$rc" >"$work/$name.rc"
        "$tools-windres" --preprocessor=cpp -I "$icons" -O coff -o "$work/$name.res.o" "$work/$name.rc"
        objects+=("$work/$name.res.o")
    fi
    "$tools-ld" -s --no-insert-timestamp --subsystem windows -e start -o "$name.exe" "${objects[@]}"
}

# PE32, one group of a 16 x 16 and a 32 x 32 image (4 bits): the 32 x 32 one.
program pe32_icon i686 '1 ICON "depth4_16_32.ico"'
# PE32+, one group of 16 x 16, 32 x 32 (8 bits) and 32 x 32 PNG: the PNG.
program pe64_icon x86_64 '1 ICON "mixed_png.ico"'
# PE32+, a group holding only a 16 x 16 image: stretched to 32 x 32.
program pe64_small x86_64 '1 ICON "only16.ico"'
# Two numbered groups written 9 then 2: stored by number, so group 2 comes first.
program pe64_two_groups x86_64 '9 ICON "depth1.ico"
2 ICON "depth24.ico"'
# A numbered and a named group: named entries are stored first.
program pe32_named_group i686 '1 ICON "depth1.ico"
APP ICON "depth8.ico"'
# No resources at all, and resources without any icon.
program pe32_no_icon i686
program pe64_no_icon x86_64 'STRINGTABLE
BEGIN
  1 "no icon here"
END'

