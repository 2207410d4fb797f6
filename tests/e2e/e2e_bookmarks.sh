#!/usr/bin/env bash
# Bookmarks in the real window: a file bookmark chosen from the menu by keyboard shows the file;
# the bookmark dialog opened from the menu adds the viewed file's folder and saves it; a folder
# named with the Linux wave dash is stored as 81 60, and one with Hangul is refused with a
# message read through AT-SPI, the file left as it was.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
export XDG_DATA_HOME="$work/data"
mkdir -p "$work/prog" "$work/files/sub" "$work/files/波〜線" "$work/files/한글"
printf 'x\r\n' >"$work/files/波〜線/a.txt"
printf 'x\r\n' >"$work/files/한글/b.txt"

# A program folder of its own, so BOOKMARK.CSV is not written beside the built binary.
cp "$bin" "$work/prog/orlimbo"
bookmarks="$work/prog/BOOKMARK.CSV"
printf 'メモ\r\n' | iconv -f UTF-8 -t CP932 >"$work/files/メモ.txt"
printf '# Orlimbo - Bookmark File,\r\nフォルダ,%s\r\nメモ,%s\r\n' "$work/files/sub/" "$work/files/メモ.txt" |
    iconv -f UTF-8 -t CP932 >"$bookmarks"

launch "$work/prog/orlimbo" /n "$work/files"
id=$(wait_for_window "Orlimbo") || fail "no main window"

# The menu opens on its first item: add, organise, (a separator), the folder, the file.
sleep 0.5
keys "$id" alt+b Down Down Down Return
title="メモ.txt - Orlimbo  Ver 1.40"
wait_for_window "$title" >/dev/null || fail "the file bookmark did not show the file (title '$(xdotool getwindowname "$id")')"
[ "$(xdotool getwindowname "$id")" = "$title" ] || fail "wrong title"
pass

# Add mode: Enter adds the viewed file's folder under its path, Enter again saves.
keys "$id" alt+b Return
dialog=$(wait_for_window "ブックマーク管理") || fail "no bookmark dialog"
keys "$dialog" Return Return
for _ in $(seq 1 50); do
    xdotool search --name "^ブックマーク管理\$" >/dev/null 2>&1 || break
    sleep 0.1
done
expected=$(printf '%s,%s\r' "$work/files/" "$work/files/" | iconv -f UTF-8 -t CP932)
[ "$(sed -n 4p "$bookmarks")" = "$expected" ] || fail "the folder was not saved: $(iconv -f CP932 -t UTF-8 "$bookmarks")"
[ "$(wc -l <"$bookmarks")" = 4 ] || fail "the bookmark file has $(wc -l <"$bookmarks") lines"
pass

quit_with_ctrl_q "$id" "$pid"
pass

# Opens the add dialog over the viewed file $1 and presses Enter to add its folder; prints the
# dialog's id.
add_folder_of() {
    launch "$work/prog/orlimbo" "$1"
    id=$(wait_for_window "$(basename "$1") - Orlimbo  Ver 1.40") || fail "$1 was not shown"
    sleep 0.5
    keys "$id" alt+b Return
    dialog=$(wait_for_window "ブックマーク管理") || fail "no bookmark dialog"
    keys "$dialog" Return
}
dialog_closes() {
    for _ in $(seq 1 50); do
        xdotool search --name "^ブックマーク管理\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# The Linux wave dash U+301C is written as code page 932's 81 60.
add_folder_of "$work/files/波〜線/a.txt"
keys "$dialog" Return
dialog_closes || fail "the dialog did not save and close"
folder=$(printf '%s' "$work/files/" | iconv -f UTF-8 -t CP932)
python3 - "$bookmarks" "$folder" <<'PY' || fail "the wave dash was not stored as 81 60: $(od -c "$bookmarks" | tail -n 4)"
import os, sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
record = os.fsencode(sys.argv[2]) + b"\x94\x67\x81\x60\x90\xfc/"  # 波 81 60 線
sys.exit(0 if lines[4] == record + b"," + record and lines[5] == b"" else 1)
PY
pass
quit_with_ctrl_q "$id" "$pid"

# Hangul has no code page 932 form: refused with its message, the file untouched.
cp "$bookmarks" "$work/before.csv"
add_folder_of "$work/files/한글/b.txt"
box=$(wait_for_window "使用禁止文字の発見") || fail "no refusal for Hangul"
/usr/bin/python3 "$here/atspi_label.py" $'「한」はブックマークファイルに記録できない文字です。\n\n名称またはパスから取り除いて下さい。' \
    >"$work/atspi.log" 2>&1 || fail "the refusal did not read as expected: $(cat "$work/atspi.log")"
pass
shot bookmark_refused
keys "$box" Return
keys "$dialog" Escape
dialog_closes || fail "the dialog did not close on Esc"
cmp -s "$bookmarks" "$work/before.csv" || fail "BOOKMARK.CSV changed: $(od -c "$bookmarks" | tail -n 4)"
pass

quit_with_ctrl_q "$id" "$pid"
pid=""
pass
e2e_done
