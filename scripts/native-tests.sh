#!/usr/bin/env bash
# Native build of the format code (no Windows calls): unit tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, then a bounded fuzz run of
# the index.dat reader seeded with the real sample files.
#   FUZZ_SECONDS=600 bash scripts/native-tests.sh   for a longer fuzz run
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KLARVEX_BUILD:-$root/build}/native
realdata=${KLARVEX_REALDATA:-$root/../shared/realdata}
seconds=${FUZZ_SECONDS:-30}

need=()
for p in clang libclang-rt-14-dev googletest cmake ninja-build; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "native-tests.sh: installing ${need[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S "$root/native" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ -DKLARVEX_REALDATA="$realdata" >/dev/null
ninja -C "$build" -j1 native_tests fuzz_index_dat fuzz_winapp2 fuzz_jump_list

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/native_tests" --gtest_brief=1

# The fuzzer's own corpus lives in the build tree; the real files seed it.
corpus=$build/fuzz-corpus
mkdir -p "$corpus"
seeds=()
for f in "$realdata"/plaso-*index.dat "$realdata"/libmsiecf-*; do [ -f "$f" ] && seeds+=("$f"); done
for f in "${seeds[@]}"; do cp -n "$f" "$corpus/" 2>/dev/null || true; done
echo "native-tests.sh: fuzzing the index.dat reader for ${seconds}s"
# Inputs up to 2 MiB: room for the hostile shapes (thousands of entries
# naming addresses a megabyte long). The target itself traps on rows
# longer than the file and on reads beyond 40 times its size.
(cd "$build" && ./fuzz_index_dat -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=2097152 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12)

# The Winapp2 reader: lines of every kind, seeded with a file of the tests'.
echo "native-tests.sh: fuzzing the Winapp2 reader for ${WINAPP2_FUZZ_SECONDS:-15}s"
wcorpus=$build/fuzz-corpus-winapp2
mkdir -p "$wcorpus"
printf '[Demo *]\nDetect=HKCU\\Software\\Demo\nDetectOS=6.1|\nFileKey1=%%AppData%%\\Demo*|*.log;*.tmp|RECURSE\nRegKey1=HKCU\\Software\\Demo|v\nExcludeKey1=PATH|%%ProgramFiles%%\\Demo\\|*.ini\nWarning=w\n' \
    | iconv -f UTF-8 -t UTF-16LE > "$wcorpus/seed"
(cd "$build" && ./fuzz_winapp2 -max_total_time="${WINAPP2_FUZZ_SECONDS:-15}" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$wcorpus" 2>&1 | tail -n 4)

# The jump list reader: compound files and their DestList, seeded with the
# real lists.
echo "native-tests.sh: fuzzing the jump list reader for ${JUMP_LIST_FUZZ_SECONDS:-15}s"
jcorpus=$build/fuzz-corpus-jump-list
mkdir -p "$jcorpus"
for f in "$realdata"/jumplist-*; do [ -f "$f" ] && cp -n "$f" "$jcorpus/" 2>/dev/null || true; done
(cd "$build" && ./fuzz_jump_list -max_total_time="${JUMP_LIST_FUZZ_SECONDS:-15}" -timeout=10 -rss_limit_mb=2048 \
    -max_len=1048576 -print_final_stats=1 "$jcorpus" 2>&1 | tail -n 4)
