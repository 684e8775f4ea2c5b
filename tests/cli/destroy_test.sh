#!/usr/bin/env bash
# Shredding and wiping free space, end to end through klarvex-cli, on a real
# small file system: a 32 MB ext2 image on a loop device, mapped as drive D:
# of a throwaway copy of the sandbox prefix. After the run the image itself
# is searched for the marker texts the destroyed files held. C: (this
# machine's own disk) is never wiped.
#   destroy_test.sh path/to/klarvex-cli.exe
set -euo pipefail
cli=$1
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/throwaway-prefix.sh" destroy
image=$drive_d_image
mnt=$drive_d
if ! throwaway_drive_d 32; then
    echo "destroy_test: this machine cannot mount a loop device" >&2
    exit 1
fi

fail=0
check() { if ! eval "$1"; then echo "FAILED: $2"; fail=1; fi; }
run() { bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$cli" "$@" </dev/null | tr -d '\r'; }
free_kb() { df --output=avail -k "$mnt" | tail -1 | tr -d ' '; }
marker() { printf 'KLARVEX-%s-MARKER-%s\n' "$1" "$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')"; }

# Shred a file and a folder holding markers.
m1=$(marker SHRED); m2=$(marker SUBFOLDER); m3=$(marker READONLY)
for i in $(seq 200); do echo "$m1"; done > "$mnt/secret.txt"
mkdir -p "$mnt/folder/inner"
echo "$m2" > "$mnt/folder/inner/a.txt"
echo "$m3" > "$mnt/folder/ro.txt"; chmod a-w "$mnt/folder/ro.txt"
sync
out=$(run --shred --json 'D:\secret.txt' 'D:\folder')
check '[ ! -e "$mnt/secret.txt" ] && [ ! -e "$mnt/folder" ]' "the shredded file and folder are gone"
check 'grep -q "\"exit_status\": 0" <<<"$out"' "the shred ended well: $out"
check 'grep -q "\"count\": 2" <<<"$out"' "the folder counts its two files: $out"

# Refused: a drive root, a protected folder, links (whose targets stay).
echo "keep" > "$mnt/target.txt"; mkdir -p "$mnt/targetdir"; echo "keep" > "$mnt/targetdir/t.txt"
ln -s target.txt "$mnt/link.txt"; ln -s targetdir "$mnt/linkdir"
documents=$(ls "$WINEPREFIX/drive_c/users/$(id -un)/Documents" | wc -l)
out=$(run --shred --json 'D:\' 'C:\users\'"$(id -un)"'\Documents' 'D:\link.txt' 'D:\linkdir')
check '[ "$(grep -c "\"outcome\": \"refused\"" <<<"$out")" = 4 ]' "four refusals: $out"
check '[ "$(cat "$mnt/target.txt")" = keep ] && [ "$(cat "$mnt/targetdir/t.txt")" = keep ]' "the links' targets stay"
check '[ "$(ls "$WINEPREFIX/drive_c/users/$(id -un)/Documents" | wc -l)" = "$documents" ]' "My Documents stays"

# A file deleted the ordinary way, then the free space wiped.
m4=$(marker DELETED)
for i in $(seq 2000); do echo "$m4"; done > "$mnt/old.txt"
sync; rm "$mnt/old.txt"; sync
before=$(free_kb)
out=$(run --wipe-free-space --json D:)
check 'grep -q "\"exit_status\": 0" <<<"$out"' "the wipe ended well: $out"
check '[ ! -e "$mnt/Klarvex free space wipe" ]' "nothing of the wipe is left on D:"
check '[ "$(free_kb)" -ge "$((before - 64))" ]' "the free space is back ($(free_kb) KB of $before)"

# A wipe ended from outside: the space comes back, and the next start
# removes the folder it left.
before=$(free_kb)
bash "$KLARVEX_ROOT/scripts/wine-run.sh" "$cli" --wipe-free-space --quiet D: </dev/null >/dev/null 2>&1 &
# A busy machine may take a while to start it.
filling=no
for _ in $(seq 600); do
    if [ "$(free_kb)" -lt "$((before - 4096))" ]; then filling=yes; break; fi
    sleep 0.05
done
pkill -9 -f 'klarvex-cli.exe --wipe-free-space' || true
check '[ $filling = yes ]' "the wipe was filling the drive"
wait || true
for _ in $(seq 50); do
    [ "$(free_kb)" -ge "$((before - 64))" ] && break
    sleep 0.2
done
check '[ "$(free_kb)" -ge "$((before - 64))" ]' "the space came back after the wipe was ended ($(free_kb) KB of $before)"
run --version >/dev/null
check '[ ! -e "$mnt/Klarvex free space wipe" ]' "the next start removed what the ended wipe left"

rm -f "$mnt/link.txt" "$mnt/linkdir"
umount "$mnt"
for m in "$m1" "$m2" "$m3" "$m4"; do
    check '! grep -aqF "${m%%-MARKER-*}-MARKER" "$image"' "no byte of ${m%%-MARKER-*} is left on the drive"
done
exit $fail
