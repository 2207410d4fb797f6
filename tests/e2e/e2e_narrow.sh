#!/usr/bin/env bash
# A window 620 pixels wide under a window manager, on a file of 5 MB: the status bar's panels,
# read with their boxes through AT-SPI, lie side by side without overlapping. With
# ORLIMBO_E2E_SHOTS set, a screenshot of the narrow window. Started again, the window keeps its
# place.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
e2e_window_manager

/usr/bin/python3 - "$work/大きな文書.txt" <<'EOF2'
import sys
line = "日本語の文章と ASCII text が混ざった一行です。\r\n".encode("cp932")
open(sys.argv[1], "wb").write(line * (5 * 1024 * 1024 // len(line)))
EOF2

launch "$bin" "$work/大きな文書.txt"
id=$(wait_for_window "大きな文書.txt - Orlimbo  Ver 1.40") || fail "the file is not shown"
xdotool windowsize "$id" 620 560
sleep 1
[ "$(xdotool getwindowgeometry "$id" | grep -o 'Geometry: [0-9]*' | grep -o '[0-9]*$')" -le 640 ] \
    || fail "the window did not narrow: $(xdotool getwindowgeometry "$id")"
/usr/bin/python3 "$here/atspi_panels.py" SJIS >"$work/panels.log" 2>&1 \
    || fail "status panels at 620 px: $(cat "$work/panels.log")"
grep -q "Bytes" "$work/panels.log" || fail "no size panel: $(cat "$work/panels.log")"
shot narrow_620
pass
quit_with_ctrl_q "$id" "$pid"
pid=""

# Started again twice under the window manager, the window comes back where it was: its place
# does not creep by the title bar's height from one start to the next.
conf="$XDG_CONFIG_HOME/brennick/Skimlet.conf"
place() { grep -E '^Window[XY]=' "$conf" | sort | tr '\n' ' '; }
first=$(place)
for _ in 1 2; do
    launch "$bin" "$work/大きな文書.txt"
    id=$(wait_for_window "大きな文書.txt - Orlimbo  Ver 1.40") || fail "the file is not shown again"
    sleep 0.5
    quit_with_ctrl_q "$id" "$pid"
    pid=""
done
[ "$(place)" = "$first" ] || fail "the window moved from '$first' to '$(place)' over two starts"
pass
e2e_done
