#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows tests
# under Wine in sandbox prefixes (with virtual displays for the windows),
# and the native sanitizer and fuzz runs of the format code.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"
export KLARVEX_BUILD=${KLARVEX_BUILD:-$root/build}
# The window speaks the language of Windows, which Wine takes from the
# locale: the suites read its English texts.
export LC_ALL=C.UTF-8

bash scripts/setup.sh
bash scripts/build.sh

# The release build is part of the build: the packaging test then only
# packs and tries what it made. A failure here is release_packages' to
# report, beside the other suites' results.
KLARVEX_DIST=$KLARVEX_BUILD/dist bash scripts/package.sh || true

# The suites that share the sandbox prefix take turns; those with a sandbox
# of their own, and the native one, run beside them (tests/CMakeLists.txt).
bash scripts/wine-session.sh ctest --test-dir "$KLARVEX_BUILD" --output-on-failure -j 5
