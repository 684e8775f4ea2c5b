#!/usr/bin/env bash
# Configures (once) and builds everything in build/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KLARVEX_BUILD:-$root/build}
if [ ! -f "$build/build.ninja" ]; then
    # A compiler cache, when the machine has one, makes a second build tree
    # (another checkout, a clean build) cost little.
    launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}"
fi
cmake --build "$build" ${KLARVEX_JOBS:+-j "$KLARVEX_JOBS"}
