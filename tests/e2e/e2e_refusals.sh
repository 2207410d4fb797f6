#!/usr/bin/env bash
# The real window is asked through its address bar, typed key by key, for three things it never
# shows: a FIFO, a symbolic link inside a ZIP and a member whose header claims 5 GB. Each time a
# message box, read as a screen reader reads it, names the path and the cause; once it is closed
# the title and the address bar still name the file shown.
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
/usr/bin/python3 - "$dir" <<'PY'
import struct, sys, zipfile
folder = sys.argv[1]
# A symbolic link as Unix zip tools store one: its mode in the upper half of the attributes.
with zipfile.ZipFile(folder + "/sym.zip", "w") as z:
    z.writestr("a.txt", "a\r\n")
    link = zipfile.ZipInfo("shadow.txt")
    link.external_attr = 0o120777 << 16
    z.writestr(link, "/etc/passwd")
# One stored byte under ZIP64 headers that claim 5 GB.
name, claimed, unknown = b"big.txt", 5 << 30, 0xFFFFFFFF
extra = struct.pack("<HHQQ", 1, 16, claimed, claimed)
local = (b"PK\3\4" + struct.pack("<HHHHHIIIHH", 45, 0, 0, 0, 0, 0, unknown, unknown, len(name), len(extra))
         + name + extra + b"x")
central = (b"PK\1\2" + struct.pack("<HHHHHHIIIHHHHHII", 45, 45, 0, 0, 0, 0, 0, unknown, unknown, len(name),
                                   len(extra), 0, 0, 0, 0, 0) + name + extra)
end = b"PK\5\6" + struct.pack("<HHHHIIH", 0, 0, 1, 1, len(central), len(local), 0)
open(folder + "/big.zip", "wb").write(local + central + end)
PY

version="Orlimbo  Ver 1.40"
shown_name="shown.txt"
shown="$shown_name - $version"
launch "$bin" "$dir/shown.txt"
main=$(wait_for_window "$shown") || fail "no window titled '$shown'"
pass

not_regular="通常のファイルではありません（FIFO、デバイスまたはソケットです）。"
link="書庫の中のシンボリックリンクのため表示できません。"
too_large=$'展開後の大きさが上限を超えるため表示できません。\n大きさ: 5368709120 Bytes ( 5120 MB)\n上限: 2147483648 Bytes ( 2048 MB)'

# Prints the id of a shown window titled exactly $1 other than the main window, waiting up to 10 s.
message_box() {
    local id
    for _ in $(seq 1 100); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" != "$main" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

# In the address bar, which names the file shown, types the name $2 in its place, key by key
# (each key is a path entered; going through the folder shown alone, none leads elsewhere). The
# box captioned $4 must read the path and the cause $3, and leaves a screenshot named $1.
# Closed, it leaves the title and the address bar naming the file shown.
refused() {
    local name=$1 path=$dir/$2 cause=$3 caption=$4 box
    read -r x y < <(/usr/bin/python3 "$here/atspi_address.py" where) || fail "no address bar to type into"
    focus "$main"
    xdotool mousemove --sync "$x" "$y" click 1
    sleep 0.3
    xdotool key --clearmodifiers End
    xdotool key --clearmodifiers --delay 30 --repeat ${#shown_name} BackSpace
    xdotool type --delay 30 "$2"
    box=$(message_box "$caption") || fail "$name: no message box captioned '$caption'"
    /usr/bin/python3 "$here/atspi_label.py" "$path"$'\n\n'"$cause" >"$work/atspi.log" 2>&1 ||
        fail "$name: $(cat "$work/atspi.log")"
    shot "refused-$name"
    keys "$box" Return
    wait_for_title "$main" "$shown" || fail "$name: the title is '$(xdotool getwindowname "$main")'"
    /usr/bin/python3 "$here/atspi_address.py" reads "$dir/shown.txt" >"$work/atspi.log" 2>&1 ||
        fail "$name: $(cat "$work/atspi.log")"
    pass
}

refused fifo pipe.txt "$not_regular" "$shown"
refused link-in-zip sym.zip/shadow.txt "$link" "書庫内のファイル"
refused five-gigabytes big.zip/big.txt "$too_large" "書庫内のファイル"

quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
