#!/usr/bin/env bash
# Deletes the shown file of a folder of three text files in the real program: Ctrl+Delete asks
# with No as the default, Left moves to Yes, Enter deletes, and the title shows the next file.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/folder"
for name in a b c; do printf 'file %s\r\n' "$name" >"$work/folder/$name.txt"; done

launch "$bin" "$work/folder/a.txt"
id=$(wait_for_window "a.txt - Orlimbo  Ver 1.40") || fail "no window showing a.txt"
focus "$id"
xdotool key --clearmodifiers ctrl+Delete
question=$(wait_for_window "削除確認") || fail "no confirmation after Ctrl+Delete"
xdotool windowfocus --sync "$question" 2>/dev/null || true
# Enter alone would answer No, the default.
xdotool key --clearmodifiers Left
xdotool key --clearmodifiers Return
wait_for_title "$id" "b.txt - Orlimbo  Ver 1.40" || fail "title is '$(xdotool getwindowname "$id")' after the delete"
[ ! -e "$work/folder/a.txt" ] || fail "a.txt is still there"
[ -e "$work/folder/b.txt" ] && [ -e "$work/folder/c.txt" ] || fail "another file went too"
pass

quit_with_ctrl_q "$id" "$pid"
pass
e2e_done
