#!/usr/bin/env bash
# Installs what is missing, builds, and starts Klarvex in the sandbox Wine
# prefix. Without a display it runs a Test run of every item through
# klarvex-cli instead and prints the log. Nothing outside the sandbox is
# ever touched.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$root"
export KLARVEX_BUILD=${KLARVEX_BUILD:-$root/build}
bin=$KLARVEX_BUILD/bin

bash scripts/setup.sh
bash scripts/build.sh
bash scripts/sandbox.sh

if [ -n "${DISPLAY:-}" ]; then
    source scripts/wine-env.sh
    "$WINESERVER" -k 2>/dev/null || true
    exec bash scripts/wine-run.sh "$bin/Klarvex.exe" "$@"
fi

mapfile -t items < <(bash scripts/wine-run.sh "$bin/klarvex-cli.exe" --list </dev/null | tr -d '\r')
exec bash scripts/wine-run.sh "$bin/klarvex-cli.exe" --test --detail "${items[@]}"
