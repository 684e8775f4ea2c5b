#!/usr/bin/env bash
# No access key ("&x") twice in one dialog or on one menu level of the
# resource files; a dialog's menu bar (the one of that name in the same file:
# each language's file has its own) counts as the dialog's, whose controls
# would take its letters.  access_keys_test.sh [FILE.rc...] (all by default)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ $# -gt 0 ] || set -- $(find "$root/src" "$root/res" -name '*.rc' | sort)

awk '
function note(scope, line,    text, rest, key) {
    if (!match(line, /"([^"\\]|\\.)*"/)) return
    text = substr(line, RSTART + 1, RLENGTH - 2); rest = text
    gsub(/&&/, "", rest)
    if (!match(rest, /&./)) return
    key = tolower(substr(rest, RSTART + 1, 1))
    if (!((scope, key) in texts)) order[++n] = scope SUBSEP key
    count[scope, key]++; texts[scope, key] = texts[scope, key] " \"" text "\""
}
FNR == 1 { dialog = menu = ""; depth = 0 }
{ sub(/\r$/, ""); sub(/^[ \t]+/, "") }
/^\/\// { next }
dialog == "" && menu == "" && $2 ~ /^DIALOG(EX)?$/ { dialog = FILENAME ": dialog " $1; next }
dialog != "" && $1 == "MENU" { menu_of[dialog] = FILENAME SUBSEP $2; next }
dialog != "" && $1 == "END" { dialog = ""; next }
dialog != "" && $1 ~ /^(L|R|C)TEXT$|PUSHBUTTON$|^GROUPBOX$|CHECKBOX$|RADIOBUTTON$|STATE3$|^CONTROL$/ { note(dialog, $0); next }
dialog == "" && menu == "" && $2 == "MENU" { menu = $1; depth = 0; next }
menu != "" && $1 == "BEGIN" { depth++; path[depth] = depth == 1 ? "bar" : path[depth - 1] " > " popup; next }
menu != "" && $1 == "END" { if (--depth == 0) menu = ""; next }
menu != "" && ($1 == "POPUP" || $1 == "MENUITEM") {
    if ($1 == "POPUP") popup = $2
    note(FILENAME ": menu " menu " [" path[depth] "]", $0)
    if (depth == 1) bar[FILENAME, menu] = bar[FILENAME, menu] "\n" $0
}
END {
    for (d in menu_of) {
        m = split(bar[menu_of[d]], items, "\n")
        for (i = 2; i <= m; i++) note(d, items[i])
    }
    for (i = 1; i <= n; i++) {
        split(order[i], part, SUBSEP)
        if (count[part[1], part[2]] < 2) continue
        printf "access_keys_test: \"%s\" twice in %s:%s\n", part[2], part[1], texts[part[1], part[2]] > "/dev/stderr"
        failed = 1
    }
    exit failed
}' "$@"
