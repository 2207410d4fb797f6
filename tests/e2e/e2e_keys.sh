#!/usr/bin/env bash
# The real window started on a folder given alone: it opens there at the stored position and
# the list walks that folder in natural order. Then the search bar: a word not found is read
# from the first status panel through AT-SPI, Esc closes the bar, and the next key ends the text;
# the zoom keys as the X keyboard sends them.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"

cp932() { printf '%s\r\n' "$2" | iconv -f UTF-8 -t CP932 >"$1"; }
mkdir -p "$work/books"
cp932 "$work/books/第2話.txt" "二話"
cp932 "$work/books/第10話.txt" "十話"
version="Orlimbo  Ver 1.40"
press() { xdotool key --clearmodifiers "$@"; sleep 0.3; }

[[ "$("$bin" --help)" == *"[ファイル | フォルダ]"* ]] || fail "--help does not name a folder"
pass

mkdir -p "$XDG_CONFIG_HOME/brennick"
printf '[General]\nWindowX=120\nWindowY=140\n' >"$XDG_CONFIG_HOME/brennick/Skimlet.conf"
launch "$bin" "$work/books"
main=$(wait_for_window "Orlimbo") || fail "no window on the folder given alone"
focus "$main"
sleep 0.5
at=$(xdotool getwindowgeometry "$main" | sed -n 's/^ *Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
[ "$at" = "140 120" ] || fail "the window is at '$at', not at the stored 140 120"
pass
press Down
wait_for_title "$main" "第2話.txt - $version" || fail "Down in the folder's list showed '$(xdotool getwindowname "$main")'"
pass
press Down
wait_for_title "$main" "第10話.txt - $version" || fail "the second Down showed '$(xdotool getwindowname "$main")'"
pass

# A word not found: the first status panel says so, read as a screen reader reads it.
press ctrl+f
xdotool type --delay 50 "zzz"
press Return
notfound="「zzz」は見つかりませんでした"
/usr/bin/python3 "$here/atspi_search.py" open zzz "$notfound" >"$work/atspi.log" 2>&1 ||
    fail "the not-found text was not read: $(cat "$work/atspi.log")"
pass
shot search-not-found

# Esc closes the bar; the x after it goes to the view, not into the word.
press Escape
press x
/usr/bin/python3 "$here/atspi_search.py" closed zzz "$notfound" >"$work/atspi.log" 2>&1 ||
    fail "Esc did not close the bar, or x reached the field: $(cat "$work/atspi.log")"
pass
shot search-closed

# Ctrl++ as the X keyboard sends it (Ctrl+Shift+=) twice, Ctrl+- once: 9 pt becomes 10 pt, as
# the size button's tool-tip says.
press ctrl+plus
press ctrl+plus
press ctrl+minus
/usr/bin/python3 "$here/atspi_search.py" hint - "現在は、10ptです" >"$work/atspi.log" 2>&1 ||
    fail "the zoom keys did not make the text 10 pt: $(cat "$work/atspi.log")"
pass

quit_with_ctrl_q "$main" "$pid"
pid=""
grep -q '^WindowX=' "$XDG_CONFIG_HOME/brennick/Skimlet.conf" || fail "the window started on a folder stored no position"
pass
e2e_done
