#!/usr/bin/env bash
# Runs a command inside a Wine session of the sandbox prefix of its own:
#   wine-session.sh COMMAND [ARGS...]
# The session gets a virtual display (unless DISPLAY already names one) and
# a wineserver started fresh with it; both end with the command. Sandboxes
# of other names (KLARVEX_SANDBOX) have prefixes, wineservers and, without
# DISPLAY, displays of their own, so their sessions can run side by side.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
bash "$KLARVEX_ROOT/scripts/sandbox.sh"

# A wineserver started without a display refuses windows to every later
# process: start the session fresh, with the virtual display in place.
"$WINESERVER" -k 2>/dev/null || true
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a free display itself and names it once it is ready.
    display_file=$(mktemp)
    Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
    display=$(head -n 1 "$display_file"); rm -f "$display_file"
    [ -n "$display" ] || { echo "wine-session.sh: the virtual display did not start" >&2; exit 1; }
    export DISPLAY=":$display"
fi
cleanup() {
    "$WINESERVER" -k 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
# The wineserver and the session's desktop inherit the standard handles of
# whoever starts them and keep them for the whole session: start both here
# with handles that lead nowhere, so no test's output pipe stays open.
"$WINESERVER" -p </dev/null >/dev/null 2>&1
bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$KLARVEX_BUILD/bin/wine-session-warmup.exe" </dev/null >/dev/null 2>&1 || true

"$@"
