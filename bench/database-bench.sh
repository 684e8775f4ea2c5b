#!/usr/bin/env bash
# Database cleaning benchmark: builds the bench program beside the release
# build of klarvex-cli.exe and its sqlite3.dll, and runs both in the
# sandbox prefix (bench/DatabaseBench.cpp says what is timed).
#   bash bench/database-bench.sh [ROUNDS] [PLACES]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
# What is measured is the program as it ships: the release build.
bash "$root/scripts/release-build.sh" klarvex-cli sqlite3 >/dev/null
release=$KLARVEX_BUILD/release
bin=$KLARVEX_BUILD/bench-database
mkdir -p "$bin"
cp "$release/bin/klarvex-cli.exe" "$release/bin/sqlite3.dll" "$root/res/Klarvex.dat" "$bin/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -o "$bin/database_bench.exe" \
    -I "$root/src" -I "$release/third_party/sqlite/sqlite-amalgamation-3520000" \
    "$root/bench/DatabaseBench.cpp" "$bin/sqlite3.dll" -lpsapi
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
bash "$root/scripts/wine-run.sh" "$bin/database_bench.exe" "$@" | tr -d '\r'
