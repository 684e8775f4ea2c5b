#!/usr/bin/env bash
# Folder primitives benchmark: builds the bench program beside the release
# build of klarvex-cli.exe and runs both in the sandbox prefix, with a Clist.dat that
# clears the bench tree (any Clist.dat already there is put back after).
# When BleachBit is installed, its preview of the same tree is timed against
# our fast Test too (the bench installs nothing: without it, it says so).
#   bash bench/primitives-bench.sh [FILES] [FOLDERS] [CLEAN_FILES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
# What is measured is the program as it ships: the release build.
bash "$root/scripts/release-build.sh" klarvex-cli >/dev/null
bin=$KLARVEX_BUILD/bench
mkdir -p "$bin"
cp "$KLARVEX_BUILD/release/bin/klarvex-cli.exe" "$root/res/Klarvex.dat" "$bin/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -o "$bin/primitives_bench.exe" \
    "$root/bench/PrimitivesBench.cpp" -lpsapi
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
mkdir -p "$KLARVEX_APPDIR"
clist=$KLARVEX_APPDIR/Clist.dat
saved=
if [ -f "$clist" ]; then saved=$(mktemp); cp "$clist" "$saved"; fi
bleach_home=
restore() {
    if [ -n "$saved" ]; then mv "$saved" "$clist"; else rm -f "$clist"; fi
    [ -z "$bleach_home" ] || rm -rf "$bleach_home"
}
trap restore EXIT
printf '[<New List>]\r\nDelFile1=C:\\klarvex-bench-tree\r\n' > "$clist"
bench() { bash "$root/scripts/wine-run.sh" "$bin/primitives_bench.exe" "$@" | tr -d '\r'; }
bench "$@"

if ! command -v bleachbit >/dev/null; then
    echo "BleachBit is not installed (Debian package bleachbit): its preview is not compared"
    exit 0
fi
# BleachBit previews the tree through a cleaner of its own, read from a home
# of its own: nothing of the caller's settings is read or written.
files=${1:-100000}
folders=${2:-500}
rounds=${4:-5}
bleach_home=$(mktemp -d)
mkdir -p "$bleach_home/.config/bleachbit/cleaners"
cat > "$bleach_home/.config/bleachbit/cleaners/klarvexbench.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<cleaner id="klarvexbench">
  <label>Klarvex bench</label>
  <option id="tree">
    <label>Tree</label>
    <description>The bench tree</description>
    <action command="delete" search="walk.files" path="$WINEPREFIX/drive_c/klarvex-bench-tree"/>
  </option>
</cleaner>
XML
bench --make-tree "$files" "$folders"
ours=() theirs=() counted=
for ((round = 0; round < rounds; ++round)); do
    start=$(date +%s.%N)
    counted=$(HOME=$bleach_home XDG_CONFIG_HOME=$bleach_home/.config XDG_CACHE_HOME=$bleach_home/.cache \
        bleachbit --preview klarvexbench.tree 2>/dev/null | sed -n 's/^Files to be deleted: //p')
    theirs+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')")
    ours+=("$(bench --fast-test)")
done
bench --remove-tree
median() { printf '%s\n' "$@" | sort -g | sed -n "$(( ($# + 1) / 2 ))p"; }
awk -v them="$(median "${theirs[@]}")" -v us="$(median "${ours[@]}")" -v files="$counted" \
    'BEGIN { printf "BleachBit preview   %8.3f s (%s files)  %.2f times our fast Test (%.3f s)\n", them, files, them / us, us }'
