#!/usr/bin/env bash
# Folder primitives benchmark: builds the bench program beside
# klarvex-cli.exe and runs both in the sandbox prefix, with a Clist.dat that
# clears the bench tree (any Clist.dat already there is put back after).
#   bash bench/primitives-bench.sh [FILES] [FOLDERS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
bin=$KLARVEX_BUILD/bin
[ -f "$bin/klarvex-cli.exe" ] || { echo "primitives-bench.sh: build klarvex-cli first (scripts/build.sh)" >&2; exit 2; }
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -o "$bin/primitives_bench.exe" \
    "$root/bench/PrimitivesBench.cpp" -lpsapi
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
mkdir -p "$KLARVEX_APPDIR"
cp "$bin/klarvex-cli.exe" "$bin/Klarvex.dat" "$KLARVEX_APPDIR/"
clist=$KLARVEX_APPDIR/Clist.dat
saved=
if [ -f "$clist" ]; then saved=$(mktemp); cp "$clist" "$saved"; fi
restore() { if [ -n "$saved" ]; then mv "$saved" "$clist"; else rm -f "$clist"; fi; }
trap restore EXIT
printf '[<New List>]\r\nDelFile1=C:\\klarvex-bench-tree\r\n' > "$clist"
bash "$root/scripts/wine-run.sh" "$bin/primitives_bench.exe" "$@" | tr -d '\r'
