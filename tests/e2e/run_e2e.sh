#!/usr/bin/env bash
# Starts the real program in an X server, checks its window title, quits it with Ctrl+Q and
# checks what it stored; then a second start and close counts the start.
set -euo pipefail

bin=$1
samples=$2

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'rm -rf "$work"' EXIT
settings="$XDG_CONFIG_HOME/brennick/Skimlet.conf"
file="$work/00はじめに.txt"
cp "$samples/00はじめに.txt" "$file"

value() { sed -n "s/^$1=//p" "$settings"; }

title="00はじめに.txt - Orlimbo  Ver 1.40"
launch "$bin" "$file"
id=$(wait_for_window "$title") || fail "no window titled '$title'"
[ "$(xdotool getwindowname "$id")" = "$title" ] || fail "wrong title"
pass
quit_with_ctrl_q "$id" "$pid"
pass

[ -f "$settings" ] || fail "no settings written"
[ "$(value FileNameNow)" = "$file" ] || fail "FileNameNow is '$(value FileNameNow)'"
[ "$(value Version)" = "1.40" ] || fail "Version is '$(value Version)'"
[ "$(value RunTime)" = "0" ] || fail "RunTime is '$(value RunTime)' after the first start"
pass

# The second start reopens the last file (flag 0 is on by default) and counts the start.
launch "$bin"
id=$(wait_for_window "$title") || fail "the last file was not shown again at the second start"
quit_with_ctrl_q "$id" "$pid"
[ "$(value RunTime)" = "1" ] || fail "RunTime is '$(value RunTime)' after the second start"
pass
e2e_done
