#!/usr/bin/env bash
# index.dat benchmark: builds the bench program beside the release build of
# klarvex-cli.exe and runs both in the sandbox prefix.
#   bash bench/index-dat-bench.sh [RECORDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
# The programs as they ship: the release build.
bash "$root/scripts/release-build.sh" klarvex-cli klarvex_core >/dev/null
bin=$KLARVEX_BUILD/bench
mkdir -p "$bin"
cp "$KLARVEX_BUILD/release/bin/klarvex-cli.exe" "$bin/"
core=$KLARVEX_BUILD/release/src/libklarvex_core.a
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -DUNICODE -D_UNICODE -DNOMINMAX -I"$root/src" \
    -o "$bin/index_dat_bench.exe" "$root/bench/IndexDatBench.cpp" "$core" -lshell32 -luser32
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
bash "$root/scripts/wine-run.sh" "$bin/index_dat_bench.exe" "$@" | tr -d '\r'
