#!/usr/bin/env bash
# Runs a Windows program in the sandbox prefix:  wine-run.sh PROGRAM.exe [ARGS...]
# The program, and the .exe, .dll and .dat files beside it, are copied into
# C:\Klarvex and run from there, so the program finds its rule file and
# settings next to itself and has a proper C:\ module path.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

[ $# -ge 1 ] || { echo "usage: wine-run.sh PROGRAM.exe [ARGS...]" >&2; exit 2; }
exe=$1; shift
[ -f "$exe" ] || { echo "wine-run.sh: no such program: $exe" >&2; exit 2; }

[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$(dirname "${BASH_SOURCE[0]}")/sandbox.sh"

srcdir=$(cd "$(dirname "$exe")" && pwd)
name=$(basename "$exe")
mkdir -p "$KLARVEX_APPDIR"
if [ "$srcdir" != "$KLARVEX_APPDIR" ]; then
    # Only what changed is copied, and into place by renaming: another
    # program of the sandbox may have the old file open or mapped.
    for f in "$srcdir"/*.exe "$srcdir"/*.dll "$srcdir"/*.dat; do
        [ -e "$f" ] || continue
        dst=$KLARVEX_APPDIR/$(basename "$f")
        cmp -s "$f" "$dst" || { cp "$f" "$dst.tmp.$$" && mv -f "$dst.tmp.$$" "$dst"; }
    done
fi

cd "$KLARVEX_APPDIR"
exec "$WINE" "$name" "$@"
