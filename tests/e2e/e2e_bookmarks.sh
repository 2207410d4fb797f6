#!/usr/bin/env bash
# Bookmarks in the real window: a file bookmark chosen from the menu by keyboard shows the file;
# the bookmark dialog opened from the menu adds the viewed file's folder and saves it.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data"
mkdir -p "$work/prog" "$work/files/sub"

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
e2e_done
