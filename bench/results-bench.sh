#!/usr/bin/env bash
# Results benchmark: how soon the main window shows a run's results after a
# detailed Test of 100,000 files, and how soon an item's entries open.
# Builds the bench program beside the release build of Klarvex.exe and runs
# both in a sandbox of their own, with a virtual display of its own
# (scripts/wine-session.sh), a settings.ini and a Clist.dat of the bench's.
#   bash bench/results-bench.sh [FILES] [FOLDERS] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export KLARVEX_BUILD=${KLARVEX_BUILD:-$root/build}
export KLARVEX_SANDBOX=$KLARVEX_BUILD/suites/results-bench/sandbox
source "$root/scripts/wine-env.sh"
# What is measured is the program as it ships: the release build.
bash "$root/scripts/release-build.sh" Klarvex >/dev/null
bin=$KLARVEX_BUILD/bench/results
mkdir -p "$bin"
cp "$KLARVEX_BUILD/release/bin/Klarvex.exe" "$root/res/Klarvex.dat" "$bin/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -o "$bin/results_bench.exe" \
    "$root/bench/ResultsBench.cpp" -lpsapi -lcomctl32
bash "$root/scripts/sandbox.sh"
mkdir -p "$KLARVEX_APPDIR"
printf '[<New List>]\r\nDelFile1=C:\\klarvex-bench-tree\r\n' > "$KLARVEX_APPDIR/Clist.dat"
bash "$root/scripts/wine-session.sh" bash "$root/scripts/wine-run.sh" "$bin/results_bench.exe" "$@" | tr -d '\r'
