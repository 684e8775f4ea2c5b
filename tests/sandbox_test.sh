#!/usr/bin/env bash
# The sandbox prefix is hermetic: nothing under its user folders resolves
# outside the prefix, and C: is its only drive. Made when missing.
#   sandbox_test.sh [SANDBOX...]   those sandboxes, not the build's own
set -u
if [ $# -gt 1 ]; then
    failed=0
    for sandbox; do bash "${BASH_SOURCE[0]}" "$sandbox" || failed=1; done
    exit $failed
fi
[ $# -eq 0 ] || export KLARVEX_SANDBOX=$1
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
bash "$KLARVEX_ROOT/scripts/sandbox.sh" || exit 1
prefix=$(realpath "$WINEPREFIX")
fail=0

# Drives are the "x:" entries (and "x::" for raw devices); C: must be the
# only one. Wine's comN serial-port links are devices, not folders.
drives=$(ls "$WINEPREFIX/dosdevices" | grep -E '^[a-z]::?$' | tr '\n' ' ')
if [ "$drives" != "c: " ]; then
    echo "dosdevices holds more drives than c: -> $drives"; fail=1
fi
[ "$(realpath "$WINEPREFIX/dosdevices/c:")" = "$prefix/drive_c" ] || { echo "c: is not the prefix's drive_c"; fail=1; }

while IFS= read -r -d '' path; do
    target=$(realpath -m "$path")
    case "$target" in
        "$prefix"/*) ;;
        *) echo "leads outside the prefix: $path -> $target"; fail=1 ;;
    esac
done < <(find "$WINEPREFIX/drive_c/users" -print0)

for d in Desktop Documents Downloads Music Pictures Videos; do
    p="$WINEPREFIX/drive_c/users/$(id -un)/$d"
    if [ -L "$p" ] || [ ! -d "$p" ]; then echo "user folder is not a real folder: $p"; fail=1; fi
done
case "$HOME" in "$KLARVEX_SANDBOX"/*) ;; *) echo "HOME is outside the sandbox: $HOME"; fail=1 ;; esac

[ $fail -eq 0 ] && echo "sandbox is hermetic: $prefix"
exit $fail
