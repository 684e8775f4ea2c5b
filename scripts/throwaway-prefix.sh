# Sourced by the tests and benchmarks that may delete what they name, or that
# need a drive of their own: a throwaway copy of the sandbox prefix, removed
# with all it holds (and what is mounted in it) when the script ends. From
# here on WINEPREFIX is the copy's; $throwaway is the folder that holds it.
#   source scripts/throwaway-prefix.sh NAME
#   throwaway_drive_d MEGABYTES   an ext2 image of that size on a loop
#                                 device ($drive_d_image, mounted on
#                                 $drive_d) as drive D: of the copy (root)
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
[ -f "$WINEPREFIX/.klarvex-sandbox" ] || bash "$KLARVEX_ROOT/scripts/sandbox.sh"

throwaway=$(mktemp -d "$KLARVEX_SANDBOX/$1-XXXXXX")
drive_d=$throwaway/d
drive_d_image=$throwaway/d.img
throwaway_cleanup() {
    WINEPREFIX=$throwaway/prefix "$WINESERVER" -k 2>/dev/null || true
    if mountpoint -q "$drive_d"; then umount "$drive_d"; fi
    rm -rf "$throwaway"
}
trap throwaway_cleanup EXIT
cp -a "$WINEPREFIX" "$throwaway/prefix"
export KLARVEX_WINEPREFIX=$throwaway/prefix
source "$KLARVEX_ROOT/scripts/wine-env.sh"

throwaway_drive_d() {
    dd if=/dev/zero of="$drive_d_image" bs=1M count="$1" status=none
    mkfs.ext2 -q -F -m 0 "$drive_d_image"
    mkdir -p "$drive_d"
    mount -o loop "$drive_d_image" "$drive_d" || return 1
    ln -sfn "$drive_d" "$WINEPREFIX/dosdevices/d:"
}
