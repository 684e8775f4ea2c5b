#!/usr/bin/env bash
# Builds the release (optimised, stripped) in $KLARVEX_BUILD/release: the
# programs as they ship, for the packages and for the benchmarks.
#   release-build.sh TARGET...
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KLARVEX_BUILD:-$root/build}
release=$build/release

# The SQLite source the debug build already fetched and checked serves the
# release build too.
sqlite=third_party/sqlite/sqlite-amalgamation-3520000
if [ -f "$build/$sqlite/sqlite3.c" ] && [ ! -f "$release/$sqlite/sqlite3.c" ]; then
    mkdir -p "$release/$sqlite"
    cp "$build/$sqlite"/sqlite3*.h "$build/$sqlite/sqlite3.c" "$release/$sqlite/"
fi
# Optimised for speed without -O3's growth, every unused function and
# datum dropped, symbols stripped.
if [ ! -f "$release/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$root" -B "$release" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${launcher[@]}" \
        -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG -ffunction-sections -fdata-sections" \
        "-DCMAKE_EXE_LINKER_FLAGS=-s -Wl,--gc-sections" -DCMAKE_SHARED_LINKER_FLAGS=-s >/dev/null
fi
cmake --build "$release" ${KLARVEX_JOBS:+-j "$KLARVEX_JOBS"} --target "$@"
