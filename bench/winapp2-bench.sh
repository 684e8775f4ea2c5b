#!/usr/bin/env bash
# Start-up cost of a Winapp2.ini beside the program: `klarvex-cli --list`
# (which builds the tree as the window does) timed without the file and
# with a made-up one of the community file's size and shape (4,000 entries,
# about 2 MB: detection by keys and by paths with wildcards, file, registry
# and exclude lines), alternately in the same run. Prints the medians, the
# difference and the ratio. Any Winapp2.ini already there is put back.
#   bash bench/winapp2-bench.sh [ENTRIES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
entries=${1:-4000}
rounds=${2:-7}
bin=$KLARVEX_BUILD/bin
[ -f "$bin/klarvex-cli.exe" ] || { echo "winapp2-bench.sh: build klarvex-cli first (scripts/build.sh)" >&2; exit 2; }
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"
bash "$root/scripts/wine-run.sh" "$bin/klarvex-cli.exe" --list >/dev/null  # copies the programs, starts Wine

target=$KLARVEX_APPDIR/Winapp2.ini
saved=
if [ -f "$target" ]; then saved=$(mktemp); mv "$target" "$saved"; fi
made=$(mktemp)
restore() { rm -f "$target" "$made"; if [ -n "$saved" ]; then mv "$saved" "$target"; fi; }
trap restore EXIT

python3 - "$entries" > "$made" <<'PY'
import sys
n = int(sys.argv[1])
out = ["; Version: bench", "; a made-up file of the community file's shape", ""]
for i in range(n):
    v = "Vendor%04d" % i
    out.append("[%s Application %d *]" % (v, i))
    out.append("LangSecRef=%d" % (3021 + i % 12))
    if i % 3 == 0:
        out.append("Detect=HKCU\\Software\\%s\\%s" % (v, "Application"))
        out.append("Detect2=HKLM\\Software\\%s" % v)
    elif i % 3 == 1:
        out.append("DetectFile=%%LocalAppData%%\\%s*\\Application\\app.exe" % v)
        out.append("DetectFile2=%%ProgramFiles%%\\%s\\app.exe" % v)
    else:
        out.append("DetectFile=%%AppData%%\\%s" % v)
    if i % 50 == 0:
        out.append("DetectOS=6.2|")
    if i % 40 == 0:
        out.append("Warning=This removes the saved sessions of %s as well." % v)
    for k in range(1, 4):
        out.append("FileKey%d=%%LocalAppData%%\\%s\\Application\\Cache%d|*.tmp;*.log;*.dat|RECURSE" % (k, v, k))
    out.append("FileKey4=%%AppData%%\\%s\\*\\Logs|*.*|REMOVESELF" % v)
    out.append("RegKey1=HKCU\\Software\\%s\\Application\\Recent File List" % v)
    out.append("RegKey2=HKCU\\Software\\%s\\Application\\Settings|LastFolder" % v)
    out.append("ExcludeKey1=PATH|%%LocalAppData%%\\%s\\Application\\Cache1\\Keep\\" % v)
    out.append("")
sys.stdout.write("\r\n".join(out))
PY
echo "winapp2-bench.sh: $entries entries, $(( $(stat -c %s "$made") / 1024 )) KB; $rounds rounds each way"

time_list() {
    local start end
    start=$(date +%s%N)
    bash "$root/scripts/wine-run.sh" "$bin/klarvex-cli.exe" --list >/dev/null
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
without=() with=()
for ((r = 0; r < rounds; r++)); do
    rm -f "$target"; without+=("$(time_list)")
    cp "$made" "$target"; with+=("$(time_list)")
done
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
m0=$(median "${without[@]}") m1=$(median "${with[@]}")
echo "without Winapp2.ini: median ${m0} ms  (${without[*]})"
echo "with Winapp2.ini:    median ${m1} ms  (${with[*]})"
awk -v a="$m0" -v b="$m1" 'BEGIN { printf "start-up cost of the file: %+d ms; ratio %.2f\n", b - a, b / a }'
