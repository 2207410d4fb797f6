#!/usr/bin/env bash
# Emoji and combining characters in the real program: a file of them is shown in colour, the
# family sequence as one picture, and the caret steps over each cluster whole: Shift+Right
# and Ctrl+C copy the family sequence entire. A screenshot goes to $ORLIMBO_E2E_SHOTS.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_begin "$0" "$@"
family=$'\U0001F468\u200D\U0001F469\u200D\U0001F467'
printf '%s\n' "${family}"$'\U0001F44D\U0001F3FD e\u0301 \u845B\U000E0100 \u263A\uFE0E \U0001F600 絵文字' >"$work/emoji.txt"
for _ in 1 2 3; do printf '%s ' "$family" $'\U0001F44D\U0001F3FD' >>"$work/emoji.txt"; done

launch "$bin" "$work/emoji.txt"
id=$(wait_for_window "emoji.txt - Orlimbo  Ver 1.40") || fail "the file is not shown"
xdotool windowsize --sync "$id" 900 500 || true
sleep 1
shot emoji
# The yellow of the smiling face is on the screen: pictures, not boxes.
yellow=$(import -window root -depth 8 txt:- | grep -c -E '\((2[0-9][0-9]|1[89][0-9]),(1[6-9][0-9]|2[0-9][0-9]),([0-9]|[1-7][0-9])(,|\))' || true)
[ "$yellow" -gt 100 ] || fail "no colour emoji on the screen ($yellow yellow pixels)"
pass

# A click in the view, then from the start of the text one cluster to the right, copied.
eval "$(xdotool getwindowgeometry --shell "$id")"
xdotool mousemove --window "$id" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) click 1
sleep 0.3
keys "$id" ctrl+Home shift+Right ctrl+c
copied=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$copied" = "$family" ] || fail "Shift+Right copied '$copied', not the whole family"
pass
keys "$id" Right shift+Right ctrl+c
copied=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$copied" = $'\U0001F44D\U0001F3FD' ] || fail "the thumb was copied as '$copied'"
pass
quit_with_ctrl_q "$id" "$pid"
pid=""
e2e_done
