#!/usr/bin/env bash
# Rules written to do harm run on a throwaway copy of the sandbox prefix:
# when the program fails them, it deletes what they name, and only the
# copy suffers.
#   hostile_rules_test.sh path/to/engine_hostile_rules_tests.exe
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
exe=$1
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$KLARVEX_ROOT/scripts/sandbox.sh"

copy=$(mktemp -d "$KLARVEX_SANDBOX/hostile-XXXXXX")
export KLARVEX_WINEPREFIX=$copy/prefix
cleanup() {
    WINEPREFIX=$KLARVEX_WINEPREFIX "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$copy"
}
trap cleanup EXIT
cp -a "$WINEPREFIX" "$KLARVEX_WINEPREFIX"
bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$exe" | tr -d '\r'
