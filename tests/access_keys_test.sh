#!/usr/bin/env bash
# Access keys of the resource files: no letter marked with "&" twice in one
# dialog or on one level of a menu. A dialog with a menu bar counts the
# bar's letters as its own: a control's letter would take the menu's.
#   access_keys_test.sh [FILE.rc...]   (all of src/ and res/ when none)
# Prints each letter used twice, with its texts, and fails; prints nothing
# when all is well. Texts a window sets at run time from the string table
# are checked in the running program (KeyboardTest).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ $# -eq 0 ]; then
    mapfile -t files < <(find "$root/src" "$root/res" -name '*.rc' | sort)
    set -- "${files[@]}"
fi

awk '
# The letter a text marks with "&" ("&&" is a plain "&"), lower case; ""
# when it marks none.
function access_key(text,    i, c) {
    for (i = 1; i < length(text); i++) {
        c = substr(text, i, 1)
        if (c != "&") continue
        c = substr(text, i + 1, 1)
        if (c == "&") { i++; continue }
        return tolower(c)
    }
    return ""
}
function first_string(line) {
    if (!match(line, /"([^"\\]|\\.)*"/)) return ""
    return substr(line, RSTART + 1, RLENGTH - 2)
}
function note(scope, text,    key) {
    key = access_key(text)
    if (key == "") return
    count[scope, key]++
    texts[scope, key] = texts[scope, key] " \"" text "\""
    if (!((scope, key) in seen)) { seen[scope, key] = 1; order[++n] = scope SUBSEP key }
}
FNR == 1 { dialog = ""; menu = ""; depth = 0 }
{ sub(/\r$/, ""); sub(/^[ \t]+/, "") }
/^\/\// { next }
# A dialog: its controls up to its END.
dialog == "" && menu == "" && $2 ~ /^DIALOG(EX)?$/ { dialog = FILENAME ": dialog " $1; next }
dialog != "" && $1 == "MENU" { menu_of[dialog] = $2; next }
dialog != "" && $1 == "BEGIN" { next }
dialog != "" && $1 == "END" { dialog = ""; next }
dialog != "" && $1 ~ /^(LTEXT|RTEXT|CTEXT|PUSHBUTTON|DEFPUSHBUTTON|GROUPBOX|CHECKBOX|AUTOCHECKBOX|RADIOBUTTON|AUTORADIOBUTTON|AUTO3STATE|STATE3|CONTROL)$/ {
    note(dialog, first_string($0)); next
}
# A menu: each level is the items between a BEGIN and its END.
dialog == "" && menu == "" && $2 == "MENU" { menu = $1; depth = 0; pending = ""; next }
menu != "" && $1 == "BEGIN" {
    depth++
    path[depth] = depth == 1 ? "bar" : path[depth - 1] " > " pending
    next
}
menu != "" && $1 == "END" { if (--depth == 0) menu = ""; next }
menu != "" && ($1 == "POPUP" || $1 == "MENUITEM") {
    text = first_string($0)
    if ($1 == "POPUP") pending = text
    if (text == "") next  # a separator
    note(FILENAME ": menu " menu " [" path[depth] "]", text)
    if (depth == 1) bar[menu] = bar[menu] SUBSEP text
    next
}
END {
    # A menu bar belongs to its dialog too.
    for (d in menu_of) {
        m = split(bar[menu_of[d]], items, SUBSEP)
        for (i = 1; i <= m; i++) if (items[i] != "") note(d, items[i])
    }
    for (i = 1; i <= n; i++) {
        split(order[i], part, SUBSEP)
        if (count[part[1], part[2]] > 1) {
            printf "access_keys_test: \"%s\" twice in %s:%s\n", part[2], part[1], texts[part[1], part[2]] > "/dev/stderr"
            failed = 1
        }
    }
    exit failed
}' "$@"
