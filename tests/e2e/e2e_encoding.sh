#!/usr/bin/env bash
# The real window on a folder of a UTF-8 and an EUC-JP file: walking shows each decoded, the
# last status panel names the encoding (read through AT-SPI), and an encoding chosen in the
# view menu holds while walking, until automatic recognition is chosen again; a UTF-8 file cut
# mid-character is still read as UTF-8. Save-as through the
# real dialog writes a file's own bytes: CP932's duplicate NEC and IBM codes, and a UTF-8 file
# with one invalid byte saved over itself, come back unchanged.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"

mkdir -p "$work/files"
printf 'UTF-8の一行目😀\r\n한국어\r\n' >"$work/files/a.txt"
printf 'EUCの一行目です\r\n' | iconv -f UTF-8 -t EUC-JP >"$work/files/b.txt"
# 2.7 KB of UTF-8 whose last character is cut short, as a download that broke off leaves it.
for i in $(seq 1 70); do printf '%02d 行目の日本語の文章です。\n' "$i"; done | head -c 2780 >"$work/files/c.txt"
version="Orlimbo  Ver 1.40"

# The view holds $1 and the encoding panel reads $2, as a screen reader finds them.
shows() {
    /usr/bin/python3 "$here/atspi_status.py" "$1" "$2" >"$work/atspi.log" 2>&1 ||
        fail "expected '$1' with panel '$2': $(cat "$work/atspi.log")"
}
titled() { wait_for_title "$main" "$1" || fail "the title is '$(xdotool getwindowname "$main")', not '$1'"; }

launch "$bin" /n "$work/files"
main=$(wait_for_window "Orlimbo") || fail "no window titled 'Orlimbo'"
sleep 0.5

keys "$main" Down
titled "a.txt - $version"
shows "UTF-8の一行目😀" "UTF-8"
pass
keys "$main" Down
titled "b.txt - $version"
shows "EUCの一行目です" "EUC"
pass

# 表示 > 文字コード > Shift_JIS: the shown file is read again as code page 932.
keys "$main" alt+v j
shot menu
keys "$main" Down Return
shows "EUC" "SJIS"
pass
# The choice holds for the next file shown.
keys "$main" Up
titled "a.txt - $version"
shows "UTF-8" "SJIS"
pass
shot chosen

# 自動判別 again: each file in its own encoding.
keys "$main" alt+v j Return
shows "UTF-8の一行目😀" "UTF-8"
pass
# A damaged file is still read in its own encoding.
keys "$main" Down Down
titled "c.txt - $version"
shows "69 行目の日本語の文章です。" "UTF-8"
shot damaged
pass

quit_with_ctrl_q "$main" "$pid"
pid=""
grep -q '^TextEncoding=A$' "$XDG_CONFIG_HOME/brennick/Skimlet.conf" ||
    fail "the stored choice is '$(grep TextEncoding "$XDG_CONFIG_HOME/brennick/Skimlet.conf" || true)'"
pass

mkdir -p "$work/save"
printf '\xed\x40\x87\x90 NEC/IBM\r\n\x82\xa0\r\n' >"$work/save/nec.txt"
printf 'UTF-8の\xff一行\r\n二行目\n' >"$work/save/bad.txt"
cp "$work/save/bad.txt" "$work/bad.orig"
# Shows file $1 in a new window, saves it as $2 in its folder through the real dialog and quits.
save_as() {
    launch "$bin" "$work/save/$1"
    main=$(wait_for_window "$1 - $version") || fail "no window showing $1"
    keys "$main" ctrl+s
    dialog=$(wait_for_window "名前を付けて保存") || fail "no save dialog"
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    # The field starts with the shown file's name; the whole name is typed over it.
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 30 "$2"
    xdotool key Return
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "^名前を付けて保存\$" >/dev/null 2>&1 || break
        sleep 0.1
    done
    wait_for_title "$main" "$2 - $version" || fail "the saved $2 is not shown"
    shot "saved-$2"
    quit_with_ctrl_q "$main" "$pid"
    pid=""
}
save_as nec.txt "nec copy.txt"
cmp -s "$work/save/nec.txt" "$work/save/nec copy.txt" || fail "saved: $(od -An -tx1 "$work/save/nec copy.txt" | head -n 2)"
pass
# Over itself: a new file takes the name (the write is atomic), with the same bytes.
inode=$(stat -c %i "$work/save/bad.txt")
save_as bad.txt bad.txt
[ "$(stat -c %i "$work/save/bad.txt")" != "$inode" ] || fail "bad.txt was not written"
cmp -s "$work/bad.orig" "$work/save/bad.txt" || fail "saved: $(od -An -tx1 "$work/save/bad.txt" | head -n 2)"
pass
e2e_done
