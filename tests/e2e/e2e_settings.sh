#!/usr/bin/env bash
# The real program in an X server: the settings dialog opened from the menu by keyboard and
# closed with Esc, full screen over the whole screen and closed with Esc, F1 showing the help's
# first page in the program's own window on a desktop with no viewer for it, the version dialog.
# With ORLIMBO_E2E_SHOTS set to a folder, screenshots of each window are left there.
set -euo pipefail

bin=$1
samples=$2

if [ -z "${ORLIMBO_E2E_IN_X:-}" ]; then
    export ORLIMBO_E2E_IN_X=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=xcb
export XDG_CONFIG_HOME="$work/config" HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
# A desktop with no handler registered for the help file's type, whatever this machine has.
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/share" XDG_CONFIG_DIRS="$work/xdg"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"
chmod 700 "$XDG_RUNTIME_DIR"
file="$work/00はじめに.txt"
cp "$samples/00はじめに.txt" "$file"
passed=0

fail() { echo "e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }

# The id of the first window whose title matches the pattern, waiting up to 10 s.
wait_for_window() {
    local pattern=$1 id=""
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

wait_gone() {
    local id=$1
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.1
    done
    return 1
}

focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; sleep 0.2; }
shot() { [ -n "${ORLIMBO_E2E_SHOTS:-}" ] && import -window root "$ORLIMBO_E2E_SHOTS/$1.png" || true; }

"$bin" "$file" >"$work/out.log" 2>&1 &
pid=$!
main=$(wait_for_window "^00はじめに.txt - Orlimbo  Ver 1.40\$") || fail "no main window"

# Settings: menu 設定(&C), entry 動作設定(&C).
focus "$main"
xdotool key --clearmodifiers alt+c
sleep 0.3
xdotool key c
settings=$(wait_for_window "^Orlimbo 設定") || fail "the settings dialog did not open from the menu"
title=$(xdotool getwindowname "$settings")
[ "$title" = "Orlimbo 設定" ] || fail "settings title '$title'"
sleep 0.3
shot settings
focus "$settings"
xdotool key Escape
wait_gone "$settings" || fail "Esc did not close the settings dialog"
passed=$((passed + 1))

# Full screen over the whole screen, closed with Esc.
focus "$main"
xdotool key --clearmodifiers ctrl+alt+z
fs=$(wait_for_window "^Full Screen") || fail "no full-screen window"
geometry=$(xdotool getwindowgeometry "$fs" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1280x800" ] || fail "full screen is $geometry"
sleep 0.3
shot fullscreen
focus "$fs"
xdotool key Escape
wait_gone "$fs" || fail "Esc did not end full screen"
passed=$((passed + 1))

# F1: no viewer for the compiled help here, so the same pages in our own window.
focus "$main"
xdotool key F1
help=$(wait_for_window "^Orlimbo ヘルプ") || fail "F1 showed no help"
sleep 0.5
shot help
focus "$help"
xdotool key Escape
wait_gone "$help" || fail "Esc did not close the help"
passed=$((passed + 1))

# The version dialog from the help menu, closed with Enter on its OK button.
focus "$main"
xdotool key --clearmodifiers alt+h
sleep 0.3
xdotool key v
info=$(wait_for_window "^バージョン情報") || fail "no version dialog"
sleep 0.3
shot version
focus "$info"
xdotool key Return
wait_gone "$info" || fail "Enter did not close the version dialog"
passed=$((passed + 1))

focus "$main"
xdotool key --clearmodifiers ctrl+q
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not close the program"
wait "$pid" || true

echo "e2e: $passed passed, 0 failed"
