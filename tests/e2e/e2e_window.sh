#!/usr/bin/env bash
# The real window under X with an accessibility bus: the captions while walking a folder of
# code page 932 files, the X11 title of the reload failure's box, Space in the folder list and
# the file list, and the shown file read through AT-SPI as a screen reader reads it.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
mkdir -p "$work/files/sub1" "$work/files/sub2"

cp932() { printf '%s\r\n' "$2" | iconv -f UTF-8 -t CP932 >"$1"; }
cp932 "$work/files/あ.txt" "あの一行目"
cp932 "$work/files/い.txt" "いの一行目"
cp932 "$work/files/う.txt" "うの一行目：表示～①"
cp932 "$work/files/sub1/x.txt" "sub1"
cp932 "$work/files/sub2/y.txt" "sub2"
version="Orlimbo  Ver 1.40"

# Waits until the main window's title is $1.
title_becomes() { wait_for_title "$main" "$1"; }
press() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }

launch "$bin" /n "$work/files"
main=$(wait_for_window "Orlimbo") || fail "no window titled 'Orlimbo'"
focus "$main"
sleep 0.5

# Space in a fresh file list selects and loads nothing.
press space
[ "$(xdotool getwindowname "$main")" = "Orlimbo" ] || fail "Space in the file list loaded '$(xdotool getwindowname "$main")'"
pass

# Walking the folder with Down: each file's name and the product title, nothing appended.
for name in あ.txt い.txt う.txt; do
    press Down
    title_becomes "$name - $version" || fail "after Down the title is '$(xdotool getwindowname "$main")', not '$name - $version'"
    pass
done

# A screen reader finds the shown file's first line and the caret at its start, and hears of
# caret, selection and text changes (Up shows the previous file).
/usr/bin/python3 "$here/atspi_read.py" "うの一行目：表示～①" "いの一行目" Up >"$work/atspi.log" 2>&1 ||
    fail "the view was not read through AT-SPI: $(cat "$work/atspi.log")"
title_becomes "い.txt - $version" || fail "Up did not show い.txt"
pass

# Space in the folder list pages the view and leaves the folder as it was.
press shift+Tab
press shift+Tab
press ctrl+c
[ "$(clipboard)" = "$work/files/" ] || fail "the folder list did not have the focus (clipboard '$(clipboard)')"
press space
press space
press ctrl+c
[ "$(clipboard)" = "$work/files/" ] || fail "Space in the folder list moved it to '$(clipboard)'"
[ "$(xdotool getwindowname "$main")" = "い.txt - $version" ] || fail "Space in the folder list changed the view"
pass

# Reloading after the shown file was deleted: the failure box carries exactly its caption.
rm "$work/files/い.txt"
press F5
box=$(wait_for_window "更新失敗") || fail "no message box titled exactly '更新失敗' ($(xdotool search --name '更新' getwindowname %@ 2>/dev/null | tr '\n' '|'))"
[ "$(xdotool getwindowname "$box")" = "更新失敗" ] || fail "the box is titled '$(xdotool getwindowname "$box")'"
pass
press Return
[ "$(xdotool getwindowname "$main")" = "い.txt - $version" ] || fail "the main window's title changed on the failed reload"
pass

# A dialog of Qt's own carries its caption alone too.
xdotool windowfocus "$main" 2>/dev/null || true
press ctrl+alt+f
font=$(wait_for_window "フォントの選択") || fail "no font dialog titled exactly 'フォントの選択' ($(xdotool search --name 'フォント' getwindowname %@ 2>/dev/null | tr '\n' '|'))"
pass
xdotool windowfocus "$font" 2>/dev/null || true
press Escape

quit_with_ctrl_q "$main" "$pid"
pid=""
pass
e2e_done
