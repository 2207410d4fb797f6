#!/usr/bin/env bash
# The open, save-as and folder dialogs in the real program under a window manager, used with
# the keyboard alone: save-as of a file whose folder and name are code page 932 bytes writes
# the file's bytes beside it, reaches the CP932-named original again through the list, and
# walks up to the parent folder. With ORLIMBO_E2E_SHOTS set, screenshots of the three dialogs.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_begin "$0" "$@"
e2e_window_manager
folder="$work/"$'\x83\x66\x81\x5b\x83\x5e' # "データ" in code page 932
file="$folder/"$'\x82\xa0.txt'              # "あ.txt"
mkdir -p "$folder"
printf '\x93\xfa\x96\x7b\x8c\xea\r\nfrom windows\r\n' >"$file" # "日本語" in code page 932
touch -d '2001-01-01 00:00' "$file"
title() { echo "$1 - Orlimbo  Ver 1.40"; }

launch "$bin" "$file"
id=$(wait_for_window "$(title あ.txt)") || fail "the CP932-named file is not shown"

# Save as: the dialog starts in the CP932-named folder with the stem selected; typing replaces it.
keys "$id" ctrl+s
dialog=$(wait_for_window "名前を付けて保存") || fail "no save dialog on Ctrl+S"
shot dialog_save
keys "$dialog" c o p y Return
wait_for_title "$id" "$(title copy.txt)" || fail "title is '$(xdotool getwindowname "$id")' after saving as copy"
cmp -s "$file" "$folder/copy.txt" || fail "copy.txt does not hold the viewed file's bytes"
pass

# Into the list (Shift+Tab), the CP932 file (after copy.txt) with Down, up with Backspace, back into the CP932
# folder with Return, to the name with Tab: Return replaces the original, by its own bytes.
keys "$id" ctrl+s
dialog=$(wait_for_window "名前を付けて保存") || fail "no save dialog on the second Ctrl+S"
keys "$dialog" shift+Tab Down Down BackSpace Return Tab Return
wait_for_title "$id" "$(title あ.txt)" || fail "title is '$(xdotool getwindowname "$id")' after saving over the original"
[ "$(find "$folder" -newer "$folder/copy.txt" -name $'\x82\xa0.txt' | wc -l)" -eq 1 ] \
    || fail "the CP932-named original was not written"
[ "$(ls "$folder" | wc -l)" -eq 2 ] || fail "the folder holds $(ls "$folder" | wc -l) files, not 2"
cmp -s "$file" "$folder/copy.txt" || fail "the original's bytes changed"
pass

# Alt+Up to the parent folder, a new name there.
keys "$id" ctrl+s
dialog=$(wait_for_window "名前を付けて保存") || fail "no save dialog on the third Ctrl+S"
keys "$dialog" alt+Up ctrl+a u p period t x t Return
wait_for_title "$id" "$(title up.txt)" || fail "title is '$(xdotool getwindowname "$id")' after saving one folder up"
cmp -s "$file" "$work/up.txt" || fail "up.txt does not hold the viewed file's bytes"
pass

# The open and folder dialogs come up titled in Japanese and close with Esc.
keys "$id" ctrl+o
dialog=$(wait_for_window "ファイルを開く") || fail "no open dialog on Ctrl+O"
shot dialog_open
keys "$dialog" Escape
keys "$id" ctrl+alt+o
dialog=$(wait_for_window "開きたいフォルダを選択して下さい。：") || fail "no folder dialog on Ctrl+Alt+O"
shot dialog_folder
keys "$dialog" Escape
pass

quit_with_ctrl_q "$id" "$pid"
pid=""
e2e_done
