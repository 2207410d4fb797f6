#!/usr/bin/env bash
# File names from Windows: a folder and a file whose names are code page 932 bytes. The real
# program lists the file under its decoded name and shows it, from "/n FOLDER", from the file's
# own bytes on the command line, and again after a restart. A screenshot of the list goes to
# $ORLIMBO_E2E_SHOT when that is set.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
folder="$work/"$'\x83\x66\x81\x5b\x83\x5e' # "データ" in code page 932
file="$folder/"$'\x82\xa0.txt'              # "あ.txt"
mkdir -p "$folder"
printf 'from windows\r\n' >"$file"
printf 'from linux\r\n' >"$folder/い.txt"
shown="あ.txt - Orlimbo  Ver 1.40"

# The folder: the first entry of the list is the CP932-named file; Down shows it.
launch "$bin" /n "$folder"
id=$(wait_for_window "Orlimbo") || fail "no main window for /n FOLDER"
keys "$id" Down
wait_for_title "$id" "$shown" || fail "title is '$(xdotool getwindowname "$id")' after Down"
pass
keys "$id" Down
wait_for_title "$id" "い.txt - Orlimbo  Ver 1.40" || fail "the UTF-8 name is not walked to"
keys "$id" Up
wait_for_title "$id" "$shown" || fail "the CP932 name is not walked back to"
pass
if [ -n "${ORLIMBO_E2E_SHOT:-}" ]; then
    sleep 0.5
    import -window root "$ORLIMBO_E2E_SHOT"
fi
quit_with_ctrl_q "$id" "$pid"

# The file's bytes as the argument; a start without arguments then reopens it from the settings.
launch "$bin" "$file"
id=$(wait_for_window "$shown") || fail "the CP932-named argument is not shown"
pass
quit_with_ctrl_q "$id" "$pid"
launch "$bin"
id=$(wait_for_window "$shown") || fail "the CP932-named file is not reopened after a restart"
pass
quit_with_ctrl_q "$id" "$pid"
e2e_done
