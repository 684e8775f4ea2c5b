#!/usr/bin/env bash
# Builds the release (optimised, stripped) and packages it into dist/:
#   Klarvex-<version>-portable.zip   the programs, sqlite3.dll, Klarvex.dat, a readme
#   Klarvex-<version>-setup.exe      the installer (installer/Klarvex.nsi, NSIS)
#   Klarvex-<version>-SHA256SUMS     checksums of both (sha256sum -c reads it)
# The version is the one res/Version.h holds. KLARVEX_DIST names another
# folder for the packages; the release build lives in $KLARVEX_BUILD/release.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KLARVEX_BUILD:-$root/build}
release=$build/release
dist=${KLARVEX_DIST:-$root/dist}
started=$(date +%s)

# A value of res/Version.h: the quoted text of its #define.
version_define() {
    sed -n "s/^#define $1 \"\\(.*\\)\"\$/\\1/p" "$root/res/Version.h"
}
version=$(version_define KLARVEX_VERSION_TEXT)
publisher=$(version_define KLARVEX_COMPANY)
numbers=$(sed -n 's/^#define KLARVEX_VERSION_NUMBERS *//p' "$root/res/Version.h" | tr -d ' ' | tr , .)
[ -n "$version" ] && [ -n "$publisher" ] && [ -n "$numbers" ] || { echo "package.sh: no version or company in res/Version.h" >&2; exit 1; }
for tool in makensis zip sha256sum; do
    command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done

bash "$root/scripts/release-build.sh" Klarvex klarvex-cli sqlite3
built=$(date +%s)

name=Klarvex-$version
stage=$release/package/$name
rm -rf "$release/package"
mkdir -p "$stage" "$dist"
for f in Klarvex.exe klarvex-cli.exe sqlite3.dll Klarvex.dat; do cp "$release/bin/$f" "$stage/"; done
sed 's/$/\r/' >"$stage/Readme.txt" <<EOF
Klarvex $version - portable copy

Klarvex removes the traces your activity leaves on a Windows PC: browser
caches, cookies, history, recent-file lists, temporary files and more.
Tick items in the tree, then run Test (count and list, touch nothing) or
Clean (remove).

Unpack this folder anywhere you can write to and start Klarvex.exe. It
keeps your settings (settings.ini), the cookies you keep (Cookies.dat) and
your custom lists (Clist.dat) beside itself, so the whole folder can move
with you. A Winapp2.ini you put beside it adds the applications it
describes. klarvex-cli.exe runs the same cleaning from the command line:
klarvex-cli --list, klarvex-cli --test NAME..., klarvex-cli --clean NAME...

$publisher
EOF

zipfile=$dist/$name-portable.zip
setup=$dist/$name-setup.exe
sums=$dist/$name-SHA256SUMS
rm -f "$zipfile" "$setup" "$sums"
(cd "$stage" && zip -q -9 -X "$zipfile" ./*)
makensis -V2 -NOCD -DVERSION="$version" -DVERSION_NUMBERS="$numbers" -DPUBLISHER="$publisher" -DBIN="$stage" -DOUTFILE="$setup" \
    "$root/installer/Klarvex.nsi"
(cd "$dist" && sha256sum "$(basename "$zipfile")" "$(basename "$setup")" >"$sums")

limit=$((2 * 1024 * 1024))
zip_size=$(stat -c %s "$zipfile")
echo "package.sh: release build $((built - started)) s, packaging $(($(date +%s) - built)) s"
for f in "$stage"/*.exe "$stage"/*.dll "$zipfile" "$setup"; do
    printf '  %-32s %9d bytes\n' "$(basename "$f")" "$(stat -c %s "$f")"
done
echo "  $(basename "$sums")"
[ "$zip_size" -lt "$limit" ] || { echo "package.sh: the zip is $zip_size bytes, over 2 MB" >&2; exit 1; }
