#!/usr/bin/env bash
# Checks that the includes between the folders of src/ only point down the
# layers (README, "Layout"): a folder includes itself and the folders below
# it, never one above. Within cleaners/ a family includes its own folder
# and what cleaners/ shares, never another family. Cleaners list subkeys
# only without registry links. Prints each line that breaks the shape and
# fails; prints nothing when all is well.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root/src"

# Bottom to top; folders on one line are one layer and do not include each
# other.
layers=(base platform formats settings engine cleaners ui dialogs "app cli")

declare -A rank
for i in "${!layers[@]}"; do
    for folder in ${layers[$i]}; do rank[$folder]=$i; done
done

status=0
complain() { echo "check-layers: $1" >&2; status=1; }

for folder in */; do
    folder=${folder%/}
    [ -n "${rank[$folder]:-}" ] || complain "src/$folder is in no layer"
done

while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")
    [[ $target == */* ]] || continue  # the resources' own headers (res/)
    from=${file%%/*}
    to=${target%%/*}
    if [ -z "${rank[$to]:-}" ]; then
        complain "src/$file includes $target, which is in no layer"
    elif [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
        complain "src/$file includes $target, a layer above its own"
    elif [ "${rank[$to]}" -eq "${rank[$from]}" ] && [ "$to" != "$from" ]; then
        complain "src/$file includes $target, beside its own layer"
    elif [ "$from" = cleaners ] && [ "$to" = cleaners ]; then
        # cleaners/<family>/...: only its own family or the shared files.
        fromFamily=$(awk -F/ 'NF > 2 {print $2}' <<<"$file")
        toFamily=$(awk -F/ 'NF > 2 {print $2}' <<<"$target")
        if [ -n "$fromFamily" ] && [ -n "$toFamily" ] && [ "$fromFamily" != "$toFamily" ]; then
            complain "src/$file includes $target, of another cleaner family"
        fi
    fi
done < <(grep -rnE '^\s*#\s*include\s+"' --include='*.h' --include='*.cpp' --include='*.rc' . | sed 's|^\./||')

# Cleaners list a key's subkeys with OwnSubkeyNames only: the listing that
# includes registry links would lead them into other keys.
while IFS= read -r line; do
    complain "src/$line lists subkeys with their links (use OwnSubkeyNames)"
done < <(grep -rnE '(^|[^A-Za-z])SubkeyNames\(' --include='*.cpp' --include='*.h' cleaners || true)

exit $status
