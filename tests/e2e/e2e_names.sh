#!/usr/bin/env bash
# File names from Windows: a folder and a file whose names are code page 932 bytes. The real
# program lists the file under its decoded name and shows it, from "/n FOLDER" and from the
# file's own bytes on the command line. A screenshot of the list goes to $ORLIMBO_E2E_SHOT
# when that is set.
set -euo pipefail

bin=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
folder="$work/"$'\x83\x66\x81\x5b\x83\x5e'    # "データ" in code page 932
file="$folder/"$'\x82\xa0.txt'                 # "あ.txt"
mkdir -p "$folder"
printf 'from windows\r\n' >"$file"
printf 'from linux\r\n' >"$folder/い.txt"

passed=0
fail() { echo "e2e: $*" >&2; echo "e2e: $passed passed, 1 failed"; exit 1; }

wait_for_title() {
    local id=$1 title=$2
    for _ in $(seq 1 50); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ] && return 0
        sleep 0.1
    done
    return 1
}

quit() {
    xdotool key --clearmodifiers ctrl+q
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

# The folder: the first entry of the list is the CP932-named file; Down shows it.
"$bin" /n "$folder" >"$work/out.log" 2>&1 &
pid=$!
id=$(wait_for_window "Orlimbo") || fail "no main window for /n FOLDER"
xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id"
xdotool key --clearmodifiers Down
wait_for_title "$id" "あ.txt - Orlimbo  Ver 1.40" || fail "title is '$(xdotool getwindowname "$id")' after Down"
passed=$((passed + 1))
xdotool key --clearmodifiers Down
wait_for_title "$id" "い.txt - Orlimbo  Ver 1.40" || fail "the UTF-8 name is not walked to"
xdotool key --clearmodifiers Up
wait_for_title "$id" "あ.txt - Orlimbo  Ver 1.40" || fail "the CP932 name is not walked back to"
passed=$((passed + 1))
if [ -n "${ORLIMBO_E2E_SHOT:-}" ]; then
    sleep 0.5
    import -window root "$ORLIMBO_E2E_SHOT"
fi
quit

# The file's bytes as the argument; a second start without arguments reopens it from the
# settings.
"$bin" "$file" >>"$work/out.log" 2>&1 &
pid=$!
wait_for_window "あ.txt - Orlimbo  Ver 1.40" >/dev/null || fail "the CP932-named argument is not shown"
passed=$((passed + 1))
quit
"$bin" >>"$work/out.log" 2>&1 &
pid=$!
wait_for_window "あ.txt - Orlimbo  Ver 1.40" >/dev/null || fail "the CP932-named file is not reopened after a restart"
grep -q $'\xe2\x81\xa0' "$XDG_CONFIG_HOME/brennick/Skimlet.conf" || fail "the settings do not hold the marked name"
passed=$((passed + 1))
quit

echo "e2e: $passed passed, 0 failed"
