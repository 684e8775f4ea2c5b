#!/usr/bin/env bash
# Installs what the build and the tests need and is not there yet
# (Debian packages only; run as root on a fresh machine).
set -euo pipefail

packages=(
    cmake ninja-build
    g++-mingw-w64-x86-64-posix   # the Windows cross compiler
    wine64                       # runs the programs and tests
    googletest                   # /usr/src/googletest, built for Windows by us
    nlohmann-json3-dev           # klarvex-cli's JSON (header-only; the build copies just its headers)
    xvfb xauth xdotool imagemagick  # GUI tests and screenshots
    nodejs npm                   # npm pack brings the pinned SQLite source
    clang libclang-rt-14-dev libsqlite3-dev  # native sanitizer and fuzz builds
    nsis zip                     # the installer and the portable zip (scripts/package.sh)
    e2fsprogs mount              # the small drive the shredding and wiping tests use
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# npm may come with the machine's own Node.js rather than Debian's.
if command -v npm >/dev/null 2>&1; then
    missing=("${missing[@]/nodejs}"); missing=("${missing[@]/npm}")
fi
missing=($(printf '%s\n' "${missing[@]}" | grep -v '^$' || true))

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup.sh: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
