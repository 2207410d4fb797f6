#!/usr/bin/env bash
# The search that goes on through the folder, in the real window: F3 passes over a few hundred
# files to the one holding the word; and while a large folder is searched the window answers
# a history step, the search then left without effect.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin "$0" "$@"

version="Orlimbo  Ver 1.40"
press() { xdotool key --clearmodifiers "$@"; sleep 0.3; }
now_ms() { date +%s%3N; }
# Folder $1 of $2 CP932 files of about $3 bytes, f00001.txt on; file $4 alone holds "needle".
make_folder() {
    /usr/bin/python3 - "$@" <<'PY'
import os, sys
folder, count, size, hit = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
os.makedirs(folder, exist_ok=True)
line = "吾輩は猫である。名前はまだ無い。表示ソフト\r\n".encode("cp932")
body = line * (size // len(line))
for i in range(1, count + 1):
    with open(os.path.join(folder, f"f{i:05}.txt"), "wb") as f:
        f.write(body + (b"the needle\r\n" if i == hit else b""))
PY
}
mkdir -p "$XDG_CONFIG_HOME/brennick"
printf '[General]\nSearchFolder=1\n' >"$XDG_CONFIG_HOME/brennick/Skimlet.conf"

make_folder "$work/small" 300 2000 250
launch "$bin" /n "$work/small"
main=$(wait_for_window "Orlimbo") || fail "no window on the folder"
focus "$main"
sleep 0.5
press Down
wait_for_title "$main" "f00001.txt - $version" || fail "Down showed '$(xdotool getwindowname "$main")'"
press ctrl+f
xdotool type --delay 30 "needle"
press Return
wait_for_title "$main" "f00250.txt - $version" || fail "F3 showed '$(xdotool getwindowname "$main")', not the file with the word"
pass
shot search-folder-found
quit_with_ctrl_q "$main" "$pid"
pid=""

make_folder "$work/large" 12000 20000 12000
cat "$work"/large/* >/dev/null # in the page cache, as a folder just read is
launch "$bin" /n "$work/large"
main=$(wait_for_window "Orlimbo") || fail "no window on the large folder"
focus "$main"
sleep 0.5
press Down
press Down
wait_for_title "$main" "f00002.txt - $version" || fail "Down showed '$(xdotool getwindowname "$main")'"
press ctrl+f
xdotool type --delay 30 "needle"
start=$(now_ms)
xdotool key --clearmodifiers Return
for _ in $(seq 1 600); do
    [ "$(xdotool getwindowname "$main")" = "f12000.txt - $version" ] && break
    sleep 0.05
done
took=$(($(now_ms) - start))
[ "$(xdotool getwindowname "$main")" = "f12000.txt - $version" ] || fail "the large folder's search did not reach its last file"
echo "e2e: the search through 12,000 files took $took ms"
pass

# Back to the second file; F3 there searches the folder again, and a history step meanwhile
# shows the first file. A window held up by the search would first jump to the last file, and
# the step would then lead back to the second one.
press alt+BackSpace
wait_for_title "$main" "f00002.txt - $version" || fail "Alt+BackSpace showed '$(xdotool getwindowname "$main")'"
xdotool key --clearmodifiers F3
sleep "$(awk -v t="$took" 'BEGIN { printf "%.2f", t / 4000 }')"
shot search-folder-progress
xdotool key --clearmodifiers alt+BackSpace
wait_for_title "$main" "f00001.txt - $version" || fail "the history step during the search showed '$(xdotool getwindowname "$main")'"
sleep $(((took + 1000) / 1000))
[ "$(xdotool getwindowname "$main")" = "f00001.txt - $version" ] ||
    fail "the search left behind went on to '$(xdotool getwindowname "$main")'"
pass
quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
