#!/usr/bin/env bash
# Shredding and free-space wiping benchmark: the release build of
# klarvex-cli.exe and DestroyBench.cpp, in a throwaway copy of the sandbox
# prefix whose drive D: is an ext2 image of its own on a loop device (this
# machine's disk is never wiped; needs root).
#   bash bench/destroy-bench.sh [DRIVE_MB] [SHRED_FILES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
megabytes=${1:-512}
shift || true
# What is measured is the program as it ships: the release build.
bash "$root/scripts/release-build.sh" klarvex-cli >/dev/null
source "$root/scripts/throwaway-prefix.sh" destroy-bench
throwaway_drive_d "$megabytes"

bin=$throwaway/bin
mkdir -p "$bin"
cp "$KLARVEX_BUILD/release/bin/klarvex-cli.exe" "$bin/"
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -o "$bin/destroy_bench.exe" \
    "$root/bench/DestroyBench.cpp" -lpsapi
bash "$root/scripts/wine-run.sh" "$bin/destroy_bench.exe" "$@" | tr -d '\r'
