#!/usr/bin/env bash
# The screenshots the GUI tests took this time, in the build's sandboxes, as
# PNG files in BUILD/screenshots:  screenshots.sh BUILD
# Fails when the GUI tests took none or one cannot be converted. The
# pictures are taken away from the prefix once converted, so an old one can
# never stand in for a run that took none.
set -euo pipefail
out=$1/screenshots
mkdir -p "$out"
shopt -s nullglob
# C:\Klarvex\screenshots of the build's own sandbox and of the suites' own.
pictures=("$1"/sandbox/prefix/drive_c/Klarvex/screenshots/*.bmp "$1"/suites/*/sandbox/prefix/drive_c/Klarvex/screenshots/*.bmp)
if [ ${#pictures[@]} -eq 0 ]; then
    echo "screenshots.sh: the GUI tests took no screenshot (in C:\Klarvex\screenshots of $1's sandboxes)" >&2
    exit 1
fi
for f in "${pictures[@]}"; do
    png=$out/$(basename "$f" .bmp).png
    convert "$f" "$png"
    [ -s "$png" ] || { echo "screenshots.sh: $png is empty" >&2; exit 1; }
    rm -f "$f"
    echo "$png"
done
