#!/usr/bin/env bash
# The release packages (scripts/package.sh), proved in the sandbox prefix:
# - the setup installs silently: its files, the Start menu shortcut and
#   every value of its Uninstall entry;
# - the installed copy and the portable one (unpacked into a folder whose
#   name has spaces and letters outside ASCII) list the items the tested
#   build lists, and a Test run of each takes the ticks and the custom list
#   from its user's files (Application Data for the installed copy, beside
#   the programs for the portable one) and leaves the file it lists;
# - the installed window starts (screenshot in BUILD/screenshots) and
#   stores its settings in Application Data on closing;
# - the silent uninstall leaves nothing of the program and every file of the
#   user.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
bash "$KLARVEX_ROOT/scripts/sandbox.sh"
for tool in makensis zip unzip xdotool import; do
    command -v "$tool" >/dev/null || { echo "release_test.sh: $tool is missing (scripts/setup.sh installs it)"; exit 1; }
done
[ -n "${DISPLAY:-}" ] || { echo "release_test.sh: the window needs a display (test.sh starts one)"; exit 1; }

export KLARVEX_DIST=$KLARVEX_BUILD/dist
bash "$KLARVEX_ROOT/scripts/package.sh"
define() { sed -n "s/^#define $1 \"\\(.*\\)\"\$/\\1/p" "$KLARVEX_ROOT/res/Version.h"; }
version=$(define KLARVEX_VERSION_TEXT)
publisher=$(define KLARVEX_COMPANY)
(cd "$KLARVEX_DIST" && sha256sum --check --quiet "Klarvex-$version-SHA256SUMS")

drive_c=$WINEPREFIX/drive_c
installed=$drive_c/Program\ Files/Klarvex
appdata=$drive_c/users/$(id -un)/AppData/Roaming/Klarvex
shortcut=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Klarvex.lnk
portable=$drive_c/Klarvex\ Tëst\ Ünïcode
fixture=$drive_c/klarvex-release-fixture
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Klarvex'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
programs=(Klarvex.exe klarvex-cli.exe sqlite3.dll Klarvex.dat)

wine_in() { local dir=$1; shift; (cd "$dir" && "$WINE" "$@" </dev/null 2>&1 | tr -d '\r'); }
reg() { wine_in "$drive_c" reg "$@"; }
cleanup() {
    rm -rf "$installed" "$appdata" "$portable" "$fixture" "$shortcut" "$drive_c/klarvex-setup"
    reg delete "$uninstall_key" /f >/dev/null || true
    reg delete "$run_key" /v KlarvexReleaseTest /f >/dev/null || true
}
cleanup
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mkdir -p "$drive_c/klarvex-setup"
cp "$KLARVEX_DIST/Klarvex-$version-setup.exe" "$drive_c/klarvex-setup/"
wine_in "$drive_c/klarvex-setup" "Klarvex-$version-setup.exe" /S
unzip -q "$KLARVEX_DIST/Klarvex-$version-portable.zip" -d "$portable"

# --- the installed files, the shortcut and the Uninstall entry
for f in "${programs[@]}"; do
    cmp -s "$installed/$f" "$portable/$f" || fail "installed $f differs from the zip's"
done
for f in Uninstall.exe installed.txt; do [ -f "$installed/$f" ] || fail "no $f installed"; done
[ -f "$portable/Readme.txt" ] || fail "the zip holds no Readme.txt"
[ ! -e "$portable/installed.txt" ] || fail "the zip holds the installed copy's marker"
grep -aq 'Program Files\\Klarvex\\Klarvex.exe' "$shortcut" 2>/dev/null ||
    fail "no Start menu shortcut to the installed Klarvex.exe: $shortcut"

entry=$(reg query "$uninstall_key")
size_kb=$(( ($(cat "$installed"/* | wc -c) + 1023) / 1024 ))
estimated=$(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$entry")
[ -n "$estimated" ] && [ $((estimated - size_kb)) -ge -4 ] && [ $((estimated - size_kb)) -le 4 ] ||
    fail "EstimatedSize $estimated, the files take $size_kb KB"
while IFS='|' read -r name value; do
    grep -qxF "    $name    REG_SZ    $value" <<<"$entry" || fail "Uninstall value $name is not $value"
done <<EOF
DisplayName|Klarvex $version
DisplayVersion|$version
Publisher|$publisher
InstallLocation|C:\\Program Files\\Klarvex
UninstallString|"C:\\Program Files\\Klarvex\\Uninstall.exe"
EOF

# --- both copies list what the tested build lists, and Test with their user's files
expected=$(cd "$KLARVEX_BUILD/bin" && bash "$KLARVEX_ROOT/scripts/wine-run.sh" klarvex-cli.exe --list | tr -d '\r')
mkdir -p "$fixture" "$appdata"
echo trace >"$fixture/trace.txt"
for copy in "$installed|$appdata" "$portable|$portable"; do
    IFS='|' read -r folder userfiles <<<"$copy"
    printf '[NodeSelected]\r\nSelectedCount=1\r\n1=Custom Lists - <New List>\r\n' >"$userfiles/settings.ini"
    printf '[<New List>]\r\nDelFile1=C:\\klarvex-release-fixture,*.txt\r\n' >"$userfiles/Clist.dat"
    [ "$(wine_in "$folder" klarvex-cli.exe --list)" = "$expected" ] || fail "--list of $folder differs from the build's"
    log=$(wine_in "$folder" klarvex-cli.exe --test --detail --ticked) || fail "--test --ticked in $folder failed: $log"
    grep -qxF 'Test: deleting C:\klarvex-release-fixture\trace.txt' <<<"$log" || fail "the Test run in $folder did not list the fixture: $log"
    [ -f "$fixture/trace.txt" ] || fail "the Test run in $folder removed the fixture"
done

# --- the installed window, and where it stores its settings
rm -f "$appdata/settings.ini"
(cd "$drive_c" && exec "$WINE" 'C:\Program Files\Klarvex\Klarvex.exe' </dev/null >/dev/null 2>&1) &
gui=$!
if window=$(timeout 30 xdotool search --sync --onlyvisible --name "^Klarvex" | head -n 1) && [ -n "$window" ]; then
    sleep 2
    mkdir -p "$KLARVEX_BUILD/screenshots"
    import -window root "$KLARVEX_BUILD/screenshots/installed-klarvex.png"
    # Without /f, taskkill asks the window to close, as its close box does.
    wine_in "$drive_c" taskkill /im Klarvex.exe >/dev/null
else
    fail "the installed Klarvex.exe showed no window"
fi
for _ in $(seq 100); do kill -0 "$gui" 2>/dev/null || break; sleep 0.2; done
if kill -0 "$gui" 2>/dev/null; then fail "the installed Klarvex.exe did not close"; kill "$gui"; fi
# The program writes its files as UTF-16.
iconv -f UTF-16 -t UTF-8 "$appdata/settings.ini" 2>/dev/null | grep -q '^\[Window\]' ||
    fail "the window stored no settings in $appdata"
[ ! -e "$installed/settings.ini" ] || fail "the installed window wrote settings.ini beside itself"

# --- the silent uninstall
printf 'kept beside\r\n' >"$installed/Cookies.dat"
printf 'kept\r\n' >"$appdata/Cookies.dat"
reg add "$run_key" /v Klarvex /d '"C:\Program Files\Klarvex\Klarvex.exe" -Auto' /f >/dev/null
reg add "$run_key" /v KlarvexReleaseTest /d 'C:\other.exe' /f >/dev/null
user_files=$(cd "$drive_c" && sha256sum "${installed#$drive_c/}/Cookies.dat" "${appdata#$drive_c/}"/*)
wine_in "$installed" Uninstall.exe /S
# The uninstaller runs on as a copy of itself and removes its entry last.
for _ in $(seq 120); do reg query "$uninstall_key" >/dev/null || break; sleep 0.5; done
reg query "$uninstall_key" >/dev/null && fail "the Uninstall entry is still there"
for f in "${programs[@]}" Uninstall.exe installed.txt; do [ ! -e "$installed/$f" ] || fail "$f left installed"; done
[ ! -e "$shortcut" ] || fail "the Start menu shortcut is left"
reg query "$run_key" /v Klarvex >/dev/null && fail "the Run value Klarvex is left"
reg query "$run_key" /v KlarvexReleaseTest >/dev/null || fail "the uninstall removed another program's Run value"
(cd "$drive_c" && sha256sum --check --quiet <<<"$user_files") || fail "the uninstall did not keep the user's files"

[ $failures -eq 0 ] || { echo "release_test.sh: $failures failures"; exit 1; }
echo "release_test.sh: installer, installed copy, uninstall and portable zip of $version passed"
