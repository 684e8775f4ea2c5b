#!/usr/bin/env bash
# Brings the SQLite amalgamation (sqlite3.c, sqlite3.h, sqlite3ext.h) into the
# build tree:   fetch-sqlite.sh DEST
#
# The source is the upstream autoconf tarball that the npm package sqlite3
# ships untouched in its deps/ folder. Both versions are pinned and the
# tarball's sha256 is checked before anything is taken out of it, so every
# machine builds sqlite3.dll from the same bytes. The downloaded package stays
# in DEST/cache; nothing here is ever committed.
#
# Result: DEST/sqlite-amalgamation-3520000/{sqlite3.c,sqlite3.h,sqlite3ext.h}
set -euo pipefail

npm_package=sqlite3@6.0.1
npm_file=sqlite3-6.0.1.tgz
tarball=sqlite-autoconf-3520000.tar.gz
tarball_sha256=f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f
amalgamation=sqlite-amalgamation-3520000

[ $# -eq 1 ] || { echo "usage: fetch-sqlite.sh DEST" >&2; exit 2; }
dest=$1
out=$dest/$amalgamation
cache=$dest/cache

if [ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ]; then
    exit 0
fi

mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
# Another configure run may have finished the job while we waited.
if [ -f "$out/sqlite3.c" ] && [ -f "$out/sqlite3.h" ]; then
    exit 0
fi

have_good_tarball() {
    [ -f "$cache/$tarball" ] &&
        echo "$tarball_sha256  $cache/$tarball" | sha256sum --check --status
}

if ! have_good_tarball; then
    rm -f "$cache/$tarball"
    if [ ! -f "$cache/$npm_file" ]; then
        command -v npm >/dev/null 2>&1 ||
            { echo "fetch-sqlite.sh: npm is missing (scripts/setup.sh installs it)" >&2; exit 1; }
        echo "fetch-sqlite.sh: npm pack $npm_package" >&2
        # npm keeps its own download cache in the build tree too.
        (cd "$cache" && npm pack --silent --cache "$cache/npm" "$npm_package" >/dev/null)
    fi
    if ! tar -xzf "$cache/$npm_file" -C "$cache" --strip-components=2 --no-same-owner \
            "package/deps/$tarball"; then
        echo "fetch-sqlite.sh: $npm_file holds no readable deps/$tarball" >&2
        rm -f "$cache/$npm_file" "$cache/$tarball"
        exit 1
    fi
    if ! have_good_tarball; then
        echo "fetch-sqlite.sh: $tarball from $npm_package does not have the expected sha256" >&2
        echo "  expected $tarball_sha256" >&2
        echo "  got      $(sha256sum "$cache/$tarball" | cut -d' ' -f1)" >&2
        rm -f "$cache/$tarball" "$cache/$npm_file"
        exit 1
    fi
fi

# Extract beside the result and move it into place in one step, so an
# interrupted run never leaves half an amalgamation behind.
work=$(mktemp -d "$dest/.extract.XXXXXX")
trap 'rm -rf "$work"' EXIT
base=${tarball%.tar.gz}
tar -xzf "$cache/$tarball" -C "$work" --strip-components=1 --no-same-owner \
    "$base/sqlite3.c" "$base/sqlite3.h" "$base/sqlite3ext.h"
chmod 755 "$work"
rm -rf "$out"
mv "$work" "$out"
trap - EXIT
echo "fetch-sqlite.sh: SQLite amalgamation ready in $out" >&2
