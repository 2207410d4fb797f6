#!/usr/bin/env bash
# Starts the real program with stored values a careful user's machine eventually has: a
# position on a monitor that is gone and a font size no one can read. The window must come up
# on the screen with a 9 pt font, and close storing sane values. Then with a FIFO in place of
# the settings file and of a listed file: the window comes up, walking onto the FIFO is refused
# at once, and the window still answers.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_begin "$0" "$@"
mkdir -p "$XDG_CONFIG_HOME/brennick"
settings="$XDG_CONFIG_HOME/brennick/Skimlet.conf"
printf '[General]\nWindowX=5000\nWindowY=3000\nWindowWidth=2147483647\nWindowHeight=600\nFontSize=100000\n' >"$settings"

value() { sed -n "s/^$1=//p" "$settings"; }

title="Orlimbo"
launch "$bin"
id=$(wait_for_window "$title") || fail "no window titled '$title'"
[ "$(xdotool getwindowname "$id")" = "$title" ] || fail "wrong title"

eval "$(xdotool getwindowgeometry --shell "$id")"
[ "$X" -ge 0 ] && [ "$X" -lt 1280 ] && [ "$Y" -ge 0 ] && [ "$Y" -lt 800 ] || fail "window at $X,$Y, off the screen"
[ "$WIDTH" -le 1280 ] || fail "window $WIDTH wide on a screen of 1280"
pass

quit_with_ctrl_q "$id" "$pid"

[ "$(value FontSize)" = "9" ] || fail "FontSize stored as '$(value FontSize)'"
top=$(value WindowX) left=$(value WindowY)
[ "$left" -ge 0 ] && [ "$left" -lt 1280 ] && [ "$top" -ge 0 ] && [ "$top" -lt 800 ] \
    || fail "position stored as $left,$top"
[ "$(value WindowWidth)" -le 1280 ] || fail "width stored as '$(value WindowWidth)'"
pass

# Prints the id of a shown window titled exactly $1 other than window $2, waiting up to 10 s.
other_window() {
    local id
    for _ in $(seq 1 100); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" != "$2" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

rm "$settings"
mkfifo "$settings"
mkdir -p "$work/walk"
for name in a b c; do printf '%s\r\n' "$name" >"$work/walk/$name.txt"; done
launch "$bin" /n "$work/walk"
id=$(wait_for_window "$title") || fail "no window with a FIFO for the settings file"
keys "$id" Down
wait_for_title "$id" "a.txt - Orlimbo  Ver 1.40" || fail "a.txt is not shown"
rm "$work/walk/b.txt"
mkfifo "$work/walk/b.txt"
keys "$id" Down
box=$(other_window "a.txt - Orlimbo  Ver 1.40" "$id") || fail "walking onto the FIFO showed no message"
shot fifo-refused
keys "$box" Return
keys "$id" Down
wait_for_title "$id" "c.txt - Orlimbo  Ver 1.40" || fail "the window no longer answers after the FIFO"
pass

# At close the settings cannot be written to the FIFO: that is reported, and the FIFO stays.
focus "$id"
xdotool key --clearmodifiers ctrl+q
box=$(other_window "c.txt - Orlimbo  Ver 1.40" "$id") || fail "no message about the settings at close"
keys "$box" Return
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$pid" 2>/dev/null || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
[ -p "$settings" ] || fail "the settings FIFO was replaced"
pass
e2e_done
