#!/usr/bin/env bash
# A folder link inside a tree that is cleaned: the link and everything in its
# target survive; so does a database that is a link, and what it leads to.
# Wine shows a Unix symlink to a folder as a reparse point, and every delete
# through it would act on the target. The link points at a folder of the
# sandbox prefix, never outside it.
#   folder_links_test.sh path/to/engine_tests.exe
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
exe=$1
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$KLARVEX_ROOT/scripts/sandbox.sh"

name=klarvex-links-$$
fixture=$WINEPREFIX/drive_c/$name
trap 'rm -rf "$fixture"' EXIT
mkdir -p "$fixture/Tree/Sub" "$fixture/Elsewhere/Deep"
echo a > "$fixture/Tree/a.txt"
echo b > "$fixture/Tree/Sub/b.log"
echo precious > "$fixture/Elsewhere/precious.log"
echo deep > "$fixture/Elsewhere/Deep/x.txt"
ln -s ../Elsewhere "$fixture/Tree/Link"
ln -s ../../Elsewhere "$fixture/Tree/Sub/Link2"
ln -s ../users "$fixture/Users"  # the prefix's own user folders
# A browser's database that is a link to an archive elsewhere (the test
# makes the archive, so the link leads somewhere only then).
mkdir -p "$fixture/Profile"
ln -s ../Elsewhere/archive.sqlite "$fixture/Profile/places.sqlite"

KLARVEX_LINK_FIXTURE="C:\\$name" bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$exe" | tr -d '\r'

fail=0
[ -L "$fixture/Tree/Link" ] || { echo "the link is gone"; fail=1; }
[ -L "$fixture/Tree/Sub/Link2" ] || { echo "the deeper link is gone"; fail=1; }
[ "$(cat "$fixture/Elsewhere/precious.log" 2>/dev/null)" = precious ] || { echo "the link's target lost a file"; fail=1; }
[ "$(cat "$fixture/Elsewhere/Deep/x.txt" 2>/dev/null)" = deep ] || { echo "the link's target lost a subfolder file"; fail=1; }
[ ! -e "$fixture/Tree/a.txt" ] || { echo "the tree's own file stayed"; fail=1; }
[ -d "$WINEPREFIX/drive_c/users" ] || { echo "the user folders are gone"; fail=1; }
[ -L "$fixture/Profile/places.sqlite" ] || { echo "the database link is gone"; fail=1; }
exit $fail
