#!/usr/bin/env bash
# Creates the hermetic sandbox prefix (once): user folders are real folders
# inside the prefix, drive C: is the only drive, nothing links outside.
#   scripts/sandbox.sh          create it if missing
#   scripts/sandbox.sh --fresh  throw it away and create it anew
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

stamp=$WINEPREFIX/.klarvex-sandbox
if [ "${1:-}" = "--fresh" ]; then
    # Only ever a folder this script made (or nothing) is thrown away.
    if [ -e "$KLARVEX_SANDBOX" ] && [ ! -f "$KLARVEX_SANDBOX/.lock" ]; then
        echo "sandbox.sh: $KLARVEX_SANDBOX is not a sandbox of ours; not removing it" >&2
        exit 1
    fi
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$KLARVEX_SANDBOX"
fi

mkdir -p "$KLARVEX_SANDBOX"
exec 9>"$KLARVEX_SANDBOX/.lock"
flock 9
[ -f "$stamp" ] && exit 0

if [ -n "${KLARVEX_WINEPREFIX:-}" ]; then
    echo "sandbox.sh: refusing to build a prefix at KLARVEX_WINEPREFIX=$KLARVEX_WINEPREFIX" >&2
    exit 1
fi

rm -rf "$WINEPREFIX"
mkdir -p "$HOME" "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
user=$(id -un)
mkdir -p "$WINEPREFIX/dosdevices"
for d in Desktop Documents Downloads Music Pictures Videos Templates; do
    mkdir -p "$WINEPREFIX/drive_c/users/$user/$d"
done
ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"

echo "sandbox.sh: creating the Wine prefix in $WINEPREFIX ..." >&2
# No display while booting: the wineserver ends before any test starts, so a
# later session with a display is not refused windows.
(cd "$WINEPREFIX/drive_c" && env -u DISPLAY "$WINE" wineboot -i >/dev/null 2>&1) || true
"$WINESERVER" -w

# Wine may still have made links (Templates, for one) into the home folder:
# make every link under the user folders a real folder, and drop every drive
# but C:. (Wine's mount manager adds a comN link for each serial port of the
# machine at every start; that is a device, not a folder, and is dropped here
# only for tidiness.)
find "$WINEPREFIX/drive_c/users" -type l | while read -r l; do
    rm "$l"; mkdir -p "$l"
done
for dev in "$WINEPREFIX"/dosdevices/*; do
    [ "$(basename "$dev")" = "c:" ] || rm -f "$dev"
done

mkdir -p "$KLARVEX_APPDIR"
# Real files of other programs, for the readers' tests (copies; the
# originals stay untouched).
shared=$KLARVEX_ROOT/../shared/realdata
if [ -d "$shared" ]; then
    mkdir -p "$WINEPREFIX/drive_c/realdata"
    cp -r "$shared"/. "$WINEPREFIX/drive_c/realdata/"
    chmod -R u+w "$WINEPREFIX/drive_c/realdata"
fi

touch "$stamp"
echo "sandbox.sh: ready" >&2
