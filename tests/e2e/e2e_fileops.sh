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

passed=0
fail() { echo "e2e: $*" >&2; echo "e2e: $passed passed, 1 failed"; exit 1; }

wait_for_title() {
    local id=$1 title=$2
    for _ in $(seq 1 50); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ] && return 0
        sleep 0.1
    done
    return 1
}

"$bin" "$work/folder/a.txt" >"$work/out.log" 2>&1 &
pid=$!
id=$(wait_for_window "a.txt - Orlimbo  Ver 1.40") || fail "no window showing a.txt"
xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
xdotool key --clearmodifiers ctrl+Delete
question=$(wait_for_window "削除確認") || fail "no confirmation after Ctrl+Delete"
xdotool windowfocus --sync "$question" 2>/dev/null || true
# Enter alone would answer No, the default.
xdotool key --clearmodifiers Left
xdotool key --clearmodifiers Return
wait_for_title "$id" "b.txt - Orlimbo  Ver 1.40" || fail "title is '$(xdotool getwindowname "$id")' after the delete"
[ ! -e "$work/folder/a.txt" ] || fail "a.txt is still there"
[ -e "$work/folder/b.txt" ] && [ -e "$work/folder/c.txt" ] || fail "another file went too"
passed=$((passed + 1))

xdotool key --clearmodifiers ctrl+q
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

echo "e2e: $passed passed, 0 failed"
