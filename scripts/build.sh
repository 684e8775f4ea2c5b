#!/usr/bin/env bash
# Configures (once) and builds everything in build/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KLARVEX_BUILD:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake"
fi
cmake --build "$build" ${KLARVEX_JOBS:+-j "$KLARVEX_JOBS"}
