#!/usr/bin/env bash
# Starts the real program with stored values a careful user's machine eventually has: a
# position on a monitor that is gone and a font size no one can read. The window must come up
# on the screen with a 9 pt font, and close storing sane values.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
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
e2e_done
