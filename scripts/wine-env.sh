# Sourced by the other scripts: the sandbox Wine environment.
# Every Wine call of ours runs with these settings and nothing of the
# caller's home: HOME and the XDG folders live inside the sandbox, so Wine's
# recycle bin (the XDG trash) and any user folder Wine recreates stay there.

KLARVEX_ROOT=${KLARVEX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KLARVEX_BUILD=${KLARVEX_BUILD:-$KLARVEX_ROOT/build}
KLARVEX_SANDBOX=${KLARVEX_SANDBOX:-$KLARVEX_BUILD/sandbox}

export WINEPREFIX=${KLARVEX_WINEPREFIX:-$KLARVEX_SANDBOX/prefix}
export HOME=$KLARVEX_SANDBOX/home
export XDG_DATA_HOME=$HOME/.local/share
export XDG_CONFIG_HOME=$HOME/.config
export XDG_CACHE_HOME=$HOME/.cache
export XDG_RUNTIME_DIR=$KLARVEX_SANDBOX/run
export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree=d;mshtml=d"
export WINEARCH=win64
unset XDG_DATA_DIRS XDG_CONFIG_DIRS

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=$(command -v wineserver)

# Where the programs live inside the prefix, and how Windows sees it.
KLARVEX_APPDIR=$WINEPREFIX/drive_c/Klarvex
