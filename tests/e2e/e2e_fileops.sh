#!/usr/bin/env bash
# Deletes the shown file of a folder of three text files in the real program: Ctrl+Delete asks
# with No as the default, Left moves to Yes, Enter deletes, and the title shows the next file.
set -euo pipefail

bin=$1

if [ -z "${ORLIMBO_E2E_IN_X:-}" ]; then
    export ORLIMBO_E2E_IN_X=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/folder"
chmod 700 "$XDG_RUNTIME_DIR"
for name in a b c; do printf 'file %s\r\n' "$name" >"$work/folder/$name.txt"; done

passed=0
fail() { echo "e2e: $*" >&2; echo "e2e: $passed passed, 1 failed"; exit 1; }

wait_for_window() {
    local title=$1 id=""
    for _ in $(seq 1 100); do
        id=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

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
