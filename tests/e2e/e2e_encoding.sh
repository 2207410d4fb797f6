#!/usr/bin/env bash
# The real window on a folder of a UTF-8 and an EUC-JP file: walking shows each decoded, the
# last status panel names the encoding (read through AT-SPI), and an encoding chosen in the
# view menu holds while walking, until automatic recognition is chosen again.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)
shots=${ORLIMBO_E2E_SHOTS:-}

source "$here/lib.sh"
if [ -z "${ORLIMBO_E2E_IN_X:-}" ]; then
    export ORLIMBO_E2E_IN_X=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
e2e_fresh_home
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

passed=0
fail() { echo "e2e: $*" >&2; echo "e2e: $passed passed, 1 failed"; exit 1; }
ok() { passed=$((passed + 1)); }

mkdir -p "$work/files"
printf 'UTF-8の一行目😀\r\n한국어\r\n' >"$work/files/a.txt"
printf 'EUCの一行目です\r\n' | iconv -f UTF-8 -t EUC-JP >"$work/files/b.txt"
version="Orlimbo  Ver 1.40"

title_becomes() {
    for _ in $(seq 1 50); do
        [ "$(xdotool getwindowname "$main")" = "$1" ] && return 0
        sleep 0.1
    done
    return 1
}
press() { xdotool key --clearmodifiers "$@"; sleep 0.4; }
# The view holds $1 and the encoding panel reads $2, as a screen reader finds them.
shows() {
    /usr/bin/python3 "$here/atspi_status.py" "$1" "$2" >"$work/atspi.log" 2>&1 ||
        fail "expected '$1' with panel '$2': $(cat "$work/atspi.log")"
}
shot() { [ -n "$shots" ] && import -window root "$shots/$1.png" || true; }

"$bin" /n "$work/files" >"$work/out.log" 2>&1 &
pid=$!
main=$(wait_for_window "Orlimbo") || fail "no window titled 'Orlimbo'"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
sleep 0.5

press Down
title_becomes "a.txt - $version" || fail "after Down the title is '$(xdotool getwindowname "$main")'"
shows "UTF-8の一行目😀" "UTF-8"
ok
press Down
title_becomes "b.txt - $version" || fail "after the second Down the title is '$(xdotool getwindowname "$main")'"
shows "EUCの一行目です" "EUC"
ok

# 表示 > 文字コード > Shift_JIS: the shown file is read again as code page 932.
press alt+v
press j
shot menu
press Down Return
shows "EUC" "SJIS"
ok
# The choice holds for the next file shown.
press Up
title_becomes "a.txt - $version" || fail "Up did not show a.txt"
shows "UTF-8" "SJIS"
ok
shot chosen

# 自動判別 again: each file in its own encoding.
press alt+v
press j
press Return
shows "UTF-8の一行目😀" "UTF-8"
ok

press ctrl+q
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Ctrl+Q did not close the window"
pid=""
grep -q '^TextEncoding=A$' "$XDG_CONFIG_HOME/brennick/Skimlet.conf" ||
    fail "the stored choice is '$(grep TextEncoding "$XDG_CONFIG_HOME/brennick/Skimlet.conf" || true)'"
ok

echo "e2e: $passed passed, 0 failed"
