#!/usr/bin/env bash
# The real program in an X server: the settings dialog opened from the menu by keyboard and
# closed with Esc, full screen over the whole screen and closed with Esc, F1 showing the help's
# first page in the program's own window on a desktop with no viewer for it, the version dialog.
# With ORLIMBO_E2E_SHOTS set to a folder, screenshots of each window are left there.
set -euo pipefail

bin=$1
samples=$2

source "$(dirname "$0")/lib.sh"
e2e_begin "$0" "$@"
# A desktop with no handler registered for the help file's type, whatever this machine has.
export XDG_DATA_HOME="$work/data" XDG_DATA_DIRS="$work/share" XDG_CONFIG_DIRS="$work/xdg"
mkdir -p "$XDG_DATA_DIRS" "$XDG_CONFIG_DIRS"
file="$work/00はじめに.txt"
cp "$samples/00はじめに.txt" "$file"

wait_gone() {
    local id=$1
    for _ in $(seq 1 100); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.1
    done
    return 1
}


launch "$bin" "$file"
main=$(wait_for_window "00はじめに.txt - Orlimbo  Ver 1.40") || fail "no main window"

# Presses the keys after $1 in the main window and sets $opened to the window titled by the
# pattern $1 that they open.
open_from_main() {
    local pattern=$1
    shift
    keys "$main" "$@"
    opened=$(wait_for_match "$pattern") || fail "the keys $* opened no window titled '$pattern'"
}
# Shoots the opened window as $1, closes it with the key $2 and fails unless it is gone.
shoot_and_close() {
    sleep 0.3
    shot "$1"
    keys "$opened" "$2"
    wait_gone "$opened" || fail "$2 did not close the $1 window"
    pass
}

# Settings: menu 設定(&C), entry 動作設定(&C).
open_from_main "^Orlimbo 設定" alt+c c
title=$(xdotool getwindowname "$opened")
[ "$title" = "Orlimbo 設定" ] || fail "settings title '$title'"
shoot_and_close settings Escape

# Full screen over the whole screen, closed with Esc.
open_from_main "^Full Screen" ctrl+alt+z
geometry=$(xdotool getwindowgeometry "$opened" | sed -n 's/.*Geometry: //p')
[ "$geometry" = "1280x800" ] || fail "full screen is $geometry"
shoot_and_close fullscreen Escape

# F1: no viewer for the compiled help here, so the same pages in our own window.
open_from_main "^Orlimbo ヘルプ" F1
sleep 0.2
shoot_and_close help Escape

# The version dialog from the help menu, closed with Enter on its OK button.
open_from_main "^バージョン情報" alt+h v
shoot_and_close version Return

quit_with_ctrl_q "$main" "$pid"
pid=""
pass
e2e_done
