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
e2e_done
