#!/usr/bin/env bash
# Deletes the shown file of a folder of three text files in the real program: Ctrl+Delete asks
# with No as the default, Left moves to Yes, Enter deletes, and the title shows the next file.
# Then that file is replaced by a folder behind the program's back: copying it is refused with
# a message box over the copy dialog, and nothing is copied. With ORLIMBO_E2E_SHOTS set to a
# folder, a screenshot of that message is left there.
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

# Two windows captioned コピー: the copy dialog and, over it, the message of the refused copy.
copy_windows() { xdotool search --onlyvisible --name '^コピー$' 2>/dev/null | wc -l; }
mkdir "$work/into"
rm "$work/folder/b.txt"
mkdir "$work/folder/b.txt"
focus "$id"
xdotool key --clearmodifiers ctrl+alt+c
dialog=$(wait_for_window "コピー") || fail "no copy dialog after Ctrl+Alt+C"
focus "$dialog"
xdotool type --delay 20 "$work/into/"
xdotool key --clearmodifiers Return
for _ in $(seq 1 100); do [ "$(copy_windows)" -ge 2 ] && break; sleep 0.1; done
[ "$(copy_windows)" -ge 2 ] || fail "no message when the shown file had become a folder"
shot copy-refused
xdotool key --clearmodifiers Return
for _ in $(seq 1 50); do [ "$(copy_windows)" -eq 1 ] && break; sleep 0.1; done
[ "$(copy_windows)" -eq 1 ] || fail "the message did not close with Enter"
[ -z "$(ls -A "$work/into")" ] || fail "something was copied: $(ls -A "$work/into")"
[ -d "$work/folder/b.txt" ] || fail "the folder in the shown file's place was touched"
focus "$dialog"
xdotool key --clearmodifiers Escape
for _ in $(seq 1 50); do [ "$(copy_windows)" -eq 0 ] && break; sleep 0.1; done
[ "$(copy_windows)" -eq 0 ] || fail "the copy dialog did not close with Escape"
pass

quit_with_ctrl_q "$id" "$pid"
pass
e2e_done
