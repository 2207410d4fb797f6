#!/usr/bin/env bash
# Hands the viewed file to other programs in the real window: the plain-text editor and the
# print spooler are small scripts on PATH that record their arguments; then the displayed text
# with line numbers is saved under a new name through the real save dialog.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_begin "$0" "$@"
mkdir -p "$work/bin" "$work/my docs"

# Fake programs: each writes its arguments, one a line, to a file named after it.
for name in mousepad lp; do
    printf '#!/bin/sh\nfor a in "$@"; do printf "%%s\\n" "$a"; done > "%s/%s.args"\n' "$work" "$name" >"$work/bin/$name"
    chmod +x "$work/bin/$name"
done
export PATH="$work/bin:$PATH"

file="$work/my docs/memo one.txt"
printf 'first\r\n\x82\xa0\r\n' >"$file"

wait_for_file() {
    for _ in $(seq 1 50); do
        [ -s "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

press() {
    focus "$1"
    xdotool key --clearmodifiers "$2"
}

title="memo one.txt - Orlimbo  Ver 1.40"
launch "$bin" "$file"
id=$(wait_for_window "$title") || fail "no window titled '$title'"

# No editor is set: Ctrl+E starts the plain-text editor with the path as one argument.
press "$id" ctrl+e
wait_for_file "$work/mousepad.args" || fail "the plain-text editor was not started"
[ "$(cat "$work/mousepad.args")" = "$file" ] || fail "the editor got '$(cat "$work/mousepad.args")'"
[ "$(xdotool getwindowname "$id")" = "$title" ] || fail "the window changed after the editor launch"
pass

# No print application is set: the print dialog offers the plain-text choice; Enter prints.
press "$id" ctrl+p
dialog=$(wait_for_window "印刷") || fail "no print dialog"
press "$dialog" Return
wait_for_file "$work/lp.args" || fail "the print spooler was not started"
[ "$(cat "$work/lp.args")" = "$file" ] || fail "the spooler got '$(cat "$work/lp.args")'"
pass

# Line numbers on, then save as "saved copy.txt" in the listed folder through the real dialog.
wait_for_window "$title" >/dev/null || fail "the print dialog did not close"
press "$id" ctrl+i
press "$id" ctrl+s
dialog=$(wait_for_window "名前を付けて保存") || fail "no save dialog"
xdotool windowfocus --sync "$dialog" 2>/dev/null || true
# The field starts with the shown file's name; the whole name is typed over it.
xdotool key --clearmodifiers ctrl+a
xdotool type --delay 30 "saved copy.txt"
xdotool key Return
saved="$work/my docs/saved copy.txt"
wait_for_window "saved copy.txt - Orlimbo  Ver 1.40" >/dev/null || fail "the saved file is not shown"
expected="$work/expected"
printf '0001 first\r\n0002 \x82\xa0\r\n0003 ' >"$expected"
cmp -s "$saved" "$expected" || fail "saved bytes: $(od -c "$saved" | head -n 3)"
pass

quit_with_ctrl_q "$id" "$pid"
pid=""
pass
e2e_done
