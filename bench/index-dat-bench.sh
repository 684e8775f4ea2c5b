#!/usr/bin/env bash
# index.dat benchmark: builds the bench program beside klarvex-cli.exe and
# runs both in the sandbox prefix.   bash bench/index-dat-bench.sh [RECORDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
bin=$KLARVEX_BUILD/bin
core=$KLARVEX_BUILD/src/libklarvex_core.a
[ -f "$bin/klarvex-cli.exe" ] && [ -f "$core" ] || { echo "index-dat-bench.sh: build the programs first (scripts/build.sh)" >&2; exit 2; }
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -DUNICODE -D_UNICODE -DNOMINMAX -I"$root/src" \
    -o "$bin/index_dat_bench.exe" "$root/bench/IndexDatBench.cpp" "$core" -lshell32 -luser32
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
mkdir -p "$KLARVEX_APPDIR"
cp "$bin/klarvex-cli.exe" "$KLARVEX_APPDIR/"
bash "$root/scripts/wine-run.sh" "$bin/index_dat_bench.exe" "$@" | tr -d '\r'
