#!/usr/bin/env bash
# The real window under X with an accessibility bus: the caret moved far into a long file with
# a code page 932 name, Ctrl+Q, and a start on the same file brings the caret back to the same
# offset, read through AT-SPI as a screen reader reads it.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
mkdir -p "$work/files"

name="長い文書.txt"
file="$work/files/$(printf '%s' "$name" | iconv -f UTF-8 -t CP932)"
for i in $(seq -w 1 3000); do printf '%s 行目：読みかけの本文です。\r\n' "$i"; done | iconv -f UTF-8 -t CP932 >"$file"
title="$name - Orlimbo  Ver 1.40"

# Starts the program on the file and waits for its window, as $main.
start_on_file() {
    launch "$bin" "$file"
    main=$(wait_for_match "Orlimbo  Ver") || fail "no main window"
    sleep 1
}
caret() { /usr/bin/python3 "$here/atspi_caret.py" "3000 行目" 2>>"$work/atspi.log"; }

start_on_file
# The view is right of the file-selection box: a click there puts the caret into it.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) click 1
sleep 0.3
keys "$main" ctrl+End Up Up Up Up Up Up Up Up Up Up Right Right
before=$(caret) || fail "the view was not found through AT-SPI: $(tail -n 3 "$work/atspi.log")"
[ "$before" -gt 50000 ] || fail "the caret is only at $before, not far into the file"
pass
shot positions-before
quit_with_ctrl_q "$main" "$pid"
pid=""
[ -s "$XDG_DATA_HOME/Orlimbo/positions" ] || fail "no store at $XDG_DATA_HOME/Orlimbo/positions"
pass

start_on_file
shot positions-after
after=$(caret) || fail "the view was not found through AT-SPI after the restart"
[ "$after" = "$before" ] || fail "the caret came back at $after, not at $before"
pass
echo "e2e: the caret at $before before Ctrl+Q and at $after after the restart"
quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
