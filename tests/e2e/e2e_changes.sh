#!/usr/bin/env bash
# The real window on a file that changes while it is shown: a line appended puts a notice above
# the view that a screen reader reads, and F5 reads the file again and takes the notice away.
# Followed (Shift+F5), lines appended appear by themselves within a second, with the line count.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
version="Orlimbo  Ver 1.40"

# Each file in a folder of its own, so that a key the file list takes cannot show another.
mkdir -p "$work/log" "$work/text"
for i in $(seq 1 40); do printf 'ログの%s行目\n' "$i"; done >"$work/log/app.log"
cp "$work/log/app.log" "$work/text/app.txt"

launch "$bin" "$work/text/app.txt"
main=$(wait_for_window "app.txt - $version") || fail "no window titled 'app.txt - $version'"
sleep 0.5
printf 'ログの41行目\n' >>"$work/text/app.txt"
/usr/bin/python3 "$here/atspi_label.py" "表示中のファイルが変更されました。F5 キーで読み直します。" >"$work/atspi.log" 2>&1 ||
    fail "no notice of the change: $(cat "$work/atspi.log")"
shot changed
keys "$main" F5
/usr/bin/python3 "$here/atspi_status.py" "ログの41行目" UTF-8 >"$work/atspi.log" 2>&1 ||
    fail "F5 did not read the file again: $(cat "$work/atspi.log")"
grep -q "全41行" "$work/atspi.log" || fail "after F5 the panels read: $(cat "$work/atspi.log")"
pass
quit_with_ctrl_q "$main" "$pid"
pid=""

# A large file read as it is shown, cut to nothing: a copy of all of it says why it cannot be
# done instead of putting blanks on the clipboard, and offers to read the file again.
mkdir -p "$work/large" "$work/largelog"
seq 1 1000000 | sed 's/.*/ログの&行目/' >"$work/large/big.txt"
cp "$work/large/big.txt" "$work/largelog/big.log"
launch "$bin" "$work/large/big.txt"
main=$(wait_for_window "big.txt - $version") || fail "no window titled 'big.txt - $version'"
sleep 1
truncate -s 0 "$work/large/big.txt"
/usr/bin/python3 "$here/atspi_label.py" "表示中のファイルが変更されました。F5 キーで読み直します。" >"$work/atspi.log" 2>&1 ||
    fail "no notice of the cut: $(cat "$work/atspi.log")"
# The view is right of the file-selection box: a click there puts the caret into it.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) click 1
keys "$main" ctrl+End ctrl+a ctrl+c
/usr/bin/python3 "$here/atspi_label.py" $'表示中のファイルが変更されたため、この操作はできません。\n\n読み直しますか？' \
    >"$work/atspi.log" 2>&1 || fail "the copy of a cut file did not say why: $(cat "$work/atspi.log")"
shot cut-copy
xdotool key Return # Yes: read again
# Empty now, it reads as the default encoding.
/usr/bin/python3 "$here/atspi_status.py" "" SJIS >"$work/atspi.log" 2>&1 ||
    fail "the cut file was not read again: $(cat "$work/atspi.log")"
grep -q "全0行" "$work/atspi.log" || fail "read again, the panels read: $(cat "$work/atspi.log")"
pass
quit_with_ctrl_q "$main" "$pid"
pid=""

# Followed: what is written to the end shows by itself.
launch "$bin" "$work/log/app.log"
main=$(wait_for_window "app.log - $version") || fail "no window titled 'app.log - $version'"
sleep 0.5
keys "$main" shift+F5 ctrl+End
for i in 41 42 43; do printf 'ログの%s行目\n' "$i" >>"$work/log/app.log"; sleep 0.3; done
/usr/bin/python3 "$here/atspi_status.py" "ログの43行目" UTF-8 >"$work/atspi.log" 2>&1 ||
    fail "the appended lines do not show: $(cat "$work/atspi.log")"
grep -q "全43行" "$work/atspi.log" || fail "followed, the panels read: $(cat "$work/atspi.log")"
shot followed
pass
quit_with_ctrl_q "$main" "$pid"
pid=""

# Followed still, a large file read as it is shown grows in place, its line count with it.
launch "$bin" "$work/largelog/big.log"
main=$(wait_for_window "big.log - $version") || fail "no window titled 'big.log - $version'"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH * 3 / 4)) $((HEIGHT / 2)) click 1
keys "$main" ctrl+End
for i in 1000001 1000002 1000003; do printf 'ログの%s行目\n' "$i" >>"$work/largelog/big.log"; sleep 0.3; done
grown=""
for _ in 1 2 3 4 5 6 7 8 9 10; do
    /usr/bin/python3 "$here/atspi_status.py" "" UTF-8 >"$work/atspi.log" 2>&1 || true
    if grep -q "全1000003行" "$work/atspi.log"; then grown=1; break; fi
    sleep 0.5
done
[ -n "$grown" ] || fail "the large followed file did not grow: $(cat "$work/atspi.log")"
shot followed-large
pass
quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
