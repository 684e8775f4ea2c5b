#!/usr/bin/env bash
# Rules written to do harm run on a throwaway copy of the sandbox prefix:
# when the program fails them, it deletes what they name, and only the
# copy suffers.
#   hostile_rules_test.sh path/to/engine_hostile_rules_tests.exe
set -euo pipefail
exe=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/throwaway-prefix.sh" hostile

# What only the Unix side can make: links that show no reparse point, and
# names Windows cannot have. Every link points inside the copy.
profile=$KLARVEX_WINEPREFIX/drive_c/users/$(id -un)
hostile=$profile/AppData/Local/KxHostile
temp=$profile/Temp
mkdir -p "$hostile/links" "$hostile/odd" "$temp"
echo report > "$profile/Documents/report.docx"
echo tmp > "$hostile/links/real.tmp"
ln -s ../../../../Documents/report.docx "$hostile/links/report.tmp"
ln -s ../../../../../../windows/system32/kernel32.dll "$hostile/links/system.tmp"
# Joined to their folder, these names lead to My Documents.
echo odd > "$hostile/odd/..\\..\\..\\..\\Documents\\top.txt"
mkdir -p "$hostile/odd/..\\..\\..\\..\\Documents"
echo odd > "$hostile/odd/..\\..\\..\\..\\Documents/inside.txt"
# "sub." is "sub" to Windows, and both invalid names are listed alike:
# beside each, a link to My Documents.
ln -s ../../../../Documents "$hostile/odd/sub"
mkdir -p "$hostile/odd/sub."
echo odd > "$hostile/odd/sub./inside.txt"
ln -s ../../../../Documents "$hostile/odd/u"$'\xff'
mkdir -p "$hostile/odd/u"$'\xfe'
echo odd > "$hostile/odd/u"$'\xfe'"/inside.txt"
# The same in the temporary folder, for the built-in cleaner.
ln -s ../Documents/report.docx "$temp/kx-link.tmp"
echo odd > "$temp/..\\Documents\\top.txt"

export KLARVEX_UNIX_DRIVE_C=$KLARVEX_WINEPREFIX/drive_c
export KLARVEX_SWAP_RACE=$KLARVEX_ROOT/tests/engine/swap_race.sh
bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$exe" | tr -d '\r'
