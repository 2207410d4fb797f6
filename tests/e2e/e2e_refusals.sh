#!/usr/bin/env bash
# Typed into the real window's address bar key by key, a FIFO, an archive that is a link to
# /dev/zero and a symbolic link inside a ZIP are each refused by a message box that a screen
# reader reads as the path and the cause; closed, the title and the address bar still name the
# file shown.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
e2e_window_manager

dir="$work/odd"
mkdir -p "$dir"
printf 'shown\r\n' >"$dir/shown.txt"
mkfifo "$dir/pipe.txt"
ln -s /dev/zero "$dir/zero.zip"
# A link as Unix zip tools store one: its mode in the upper half of the attributes.
/usr/bin/python3 -c 'import sys, zipfile
link = zipfile.ZipInfo("shadow.txt"); link.external_attr = 0o120777 << 16
zipfile.ZipFile(sys.argv[1], "w").writestr(link, "/etc/passwd")' "$dir/sym.zip"

shown="shown.txt - Orlimbo  Ver 1.40"
launch "$bin" "$dir/shown.txt"
main=$(wait_for_window "$shown") || fail "no window titled '$shown'"

# Types the name $2 in place of the file shown's (no key leads out of the folder); a box
# captioned $4 must read the path and the cause $3. It leaves the screenshot $1.
refused() {
    local box=""
    keys "$main" alt+p End
    xdotool key --clearmodifiers --delay 30 --repeat 9 BackSpace type --delay 30 "$2"
    for _ in $(seq 1 100); do
        box=$(xdotool search --onlyvisible --name "^$4\$" | grep -vx "$main" | head -n 1) && break
        sleep 0.1
    done
    [ -n "$box" ] || fail "$1: no message box captioned '$4'"
    /usr/bin/python3 "$here/atspi_label.py" "$dir/$2"$'\n\n'"$3" >"$work/atspi.log" || fail "$1: $(cat "$work/atspi.log")"
    shot "refused-$1"
    keys "$box" Return
    wait_for_title "$main" "$shown" || fail "$1: the title is '$(xdotool getwindowname "$main")'"
    keys "$main" alt+p ctrl+a ctrl+c
    [ "$(xclip -o -selection clipboard)" = "$dir/shown.txt" ] || fail "$1: the address bar reads '$(xclip -o -selection clipboard)'"
    pass
}

refused fifo pipe.txt "通常のファイルではありません（FIFO、デバイスまたはソケットです）。" "$shown"
refused archive-linked-to-dev-zero zero.zip "書庫が通常のファイルではありません（FIFO、デバイスまたはソケットです）。" "$shown"
refused link-in-zip sym.zip/shadow.txt "書庫の中のシンボリックリンクのため表示できません。" "書庫内のファイル"
quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
