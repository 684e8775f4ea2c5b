#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Windows tests
# under Wine in the sandbox prefix (with a virtual display for the windows),
# then the native sanitizer and fuzz runs.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"

bash scripts/setup.sh
bash scripts/build.sh
bash scripts/sandbox.sh

source scripts/wine-env.sh
# A wineserver started without a display refuses windows to every later
# process: start the session fresh, with the virtual display in place.
"$WINESERVER" -k 2>/dev/null || true
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    for n in $(seq 90 120); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    sleep 1
fi
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

status=0
ctest --test-dir build --output-on-failure || status=1

if [ -f scripts/native-tests.sh ]; then
    bash scripts/native-tests.sh || status=1
fi
exit $status
