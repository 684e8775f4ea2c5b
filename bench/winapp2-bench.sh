#!/usr/bin/env bash
# Start-up cost of a Winapp2.ini beside the program: "Applications" filled as
# both front ends do at start-up (Klarvex.dat, the installed programs, the
# Winapp2 entries detected here), from a folder without the file and from
# one with a made-up file of the community file's size and shape (4,000
# entries, about 2 MB: detection by keys and by paths with wildcards, file,
# registry and exclude lines), alternately in one process. Prints the
# medians, the difference and the ratio. Then two hostile files: as many
# entries whose DetectFile lines go down the whole drive with wildcards
# ("%SystemDrive%\*\*\*\*\none17"), against the file of the same size; and
# 100,000 ExcludeKey lines over 100,000 files, against the same entry
# without them.
#   bash bench/winapp2-bench.sh [ENTRIES] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$root/scripts/wine-env.sh"
entries=${1:-4000}
rounds=${2:-9}
# The engine as it ships: the release build's library.
bash "$root/scripts/release-build.sh" klarvex_core >/dev/null
bin=$KLARVEX_BUILD/bench
mkdir -p "$bin"
core=$KLARVEX_BUILD/release/src/libklarvex_core.a
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode -I"$root/src" -I"$root/res" \
    -o "$bin/winapp2_bench.exe" "$root/bench/Winapp2Bench.cpp" "$core" \
    -lshell32 -lole32 -loleaut32 -luuid -ladvapi32 -luser32 -lgdi32 -lcomctl32 -lcomdlg32 -lwininet
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$root/scripts/sandbox.sh"

work=$WINEPREFIX/drive_c/klarvex-bench-winapp2
# One program in ten is "installed": its folder under AppData and Local
# AppData, or its key, so detection goes the whole way for those.
user=$(ls "$WINEPREFIX/drive_c/users" | grep -v '^Public$' | head -n 1)
appdata=$WINEPREFIX/drive_c/users/$user/AppData
installed=()
for ((i = 0; i < entries; i += 10)); do installed+=("$(printf 'Vendor%04d' "$i")"); done
cleanup() {
    rm -rf "$work"
    for v in "${installed[@]}"; do rm -rf "$appdata/Roaming/$v" "$appdata/Local/$v-x64"; done
    { echo REGEDIT4; for v in "${installed[@]}"; do printf '[-HKEY_CURRENT_USER\\Software\\%s]\n' "$v"; done; } \
        > "$WINEPREFIX/drive_c/klarvex-bench-keys.reg"
    bash "$root/scripts/wine-run.sh" "$KLARVEX_BUILD/bin/klarvex-cli.exe" --list >/dev/null  # the programs in place
    (cd "$WINEPREFIX/drive_c" && "$WINE" regedit /S 'C:\klarvex-bench-keys.reg')
    rm -f "$WINEPREFIX/drive_c/klarvex-bench-keys.reg"
}
trap cleanup EXIT
{ echo REGEDIT4; for v in "${installed[@]}"; do printf '[HKEY_CURRENT_USER\\Software\\%s\\Application]\n' "$v"; done; } \
    > "$WINEPREFIX/drive_c/klarvex-bench-keys.reg"
(cd "$WINEPREFIX/drive_c" && "$WINE" regedit /S 'C:\klarvex-bench-keys.reg')
for v in "${installed[@]}"; do mkdir -p "$appdata/Roaming/$v" "$appdata/Local/$v-x64/Application"; touch "$appdata/Local/$v-x64/Application/app.exe"; done
mkdir -p "$work/without" "$work/with"
cp "$root/res/Klarvex.dat" "$work/without/"
cp "$root/res/Klarvex.dat" "$work/with/"
python3 - "$entries" > "$work/with/Winapp2.ini" <<'PY'
import sys
n = int(sys.argv[1])
out = ["; Version: bench", "; a made-up file of the community file's shape", ""]
for i in range(n):
    v = "Vendor%04d" % i
    out.append("[%s Application %d *]" % (v, i))
    out.append("LangSecRef=%d" % (3021 + i % 12))
    if i % 3 == 0:
        out.append("Detect=HKCU\\Software\\%s\\Application" % v)
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
mkdir -p "$work/hostile"
cp "$root/res/Klarvex.dat" "$work/hostile/"
python3 - "$entries" > "$work/hostile/Winapp2.ini" <<'PY'
import sys
for i in range(int(sys.argv[1])):
    sys.stdout.write("[Hostile %d *]\r\nDetectFile=%%SystemDrive%%\\*\\*\\*\\*\\none%d\r\n"
                     "FileKey1=%%LocalAppData%%\\Hostile%d|*.log\r\n\r\n" % (i, i, i))
PY
echo "winapp2-bench.sh: $entries entries, $(( $(stat -c %s "$work/with/Winapp2.ini") / 1024 )) KB"
bash "$root/scripts/wine-run.sh" "$bin/winapp2_bench.exe" 'C:\klarvex-bench-winapp2\without\' \
    'C:\klarvex-bench-winapp2\with\' "$rounds" 'C:\klarvex-bench-winapp2\hostile\' | tr -d '\r'

# 100,000 files in 1,000 folders; every other one excluded by name, the
# rest met by PATH lines of folders that are not there.
files=$work/files
for ((d = 0; d < 1000; d++)); do mkdir -p "$files/d$d"; done
(cd "$files" && for ((d = 0; d < 1000; d++)); do printf "d$d/f%d.txt\n" {0..99}; done | xargs touch)
python3 - > "$work/excludes.ini" <<'PY'
import sys
out = []
for i in range(100000):
    d, f = divmod(i, 100)
    if i % 2 == 0:
        out.append("ExcludeKey%d=FILE|C:\\klarvex-bench-winapp2\\files\\d%d|f%d.txt" % (i + 1, d, f))
    else:
        out.append("ExcludeKey%d=PATH|C:\\klarvex-bench-winapp2\\files\\gone%d\\" % (i + 1, i))
sys.stdout.write("\r\n".join(out) + "\r\n")
PY
bash "$root/scripts/wine-run.sh" "$bin/winapp2_bench.exe" --excludes 'C:\klarvex-bench-winapp2\files' \
    'C:\klarvex-bench-winapp2\excludes.ini' | tr -d '\r'
