#!/usr/bin/env bash
# Another program at work while a Clean runs: it replaces the files of a
# folder with links to VICTIM/victim.tmp and its subfolders with links to
# VICTIM, a folder of the user's, until told to stop (STOP_FILE appears)
# or for ten seconds at most; then it makes STOP_FILE.done. It never looks
# through a link it made.
#   swap_race.sh FOLDER VICTIM STOP_FILE      (Unix paths)
folder=$1 victim=$2 stop=$3
end=$((SECONDS + 10))
while [ ! -e "$stop" ] && [ $SECONDS -lt $end ]; do
    for d in "$folder" "$folder"/sub[0-9]; do
        [ -d "$d" ] && [ ! -L "$d" ] || continue
        for f in "$d"/*.tmp; do
            [ -f "$f" ] && [ ! -L "$f" ] && ln -sfn "$victim/victim.tmp" "$f"
        done
        [ "$d" != "$folder" ] && mv "$d" "$d.old" && ln -s "$victim" "$d"
    done
done
touch "$stop.done"
