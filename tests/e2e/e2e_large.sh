#!/usr/bin/env bash
# The real window on a text of some megabytes, read on two threads: the line count panel
# (read through AT-SPI) gives the exact count unwrapped, follows the window's width when
# wrapped and comes back to the same count at the same width. Then a burst of Down keys on a
# folder of small files: every file is shown and the last one ends in the view with its size.
# Then a file that takes seconds to read: the window answers with its progress meanwhile, and
# Esc stops the load with the file shown before still shown. Last, a large file's first lines
# shown at once.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"
version="Orlimbo  Ver 1.40"
conf="$XDG_CONFIG_HOME/brennick"
mkdir -p "$conf" "$work/walk" "$work/slow"

# About 5 MB of code page 932: Japanese and ASCII lines of 10-120 characters, some with tabs.
lines=$(/usr/bin/python3 - "$work/large.txt" <<'EOF'
import random, sys
r = random.Random(7)
japanese = [chr(c) for c in range(0x3042, 0x3094)] + list("日本語の文字を表示する長い行と短い行、。「」")
out, count, size = [], 0, 0
while size < 5 * 1024 * 1024:
    n = r.randint(10, 120)
    pool = japanese if r.random() < 0.5 else list("abcdefghij klmnop\t")
    line = "".join(r.choice(pool) for _ in range(n)).encode("cp932") + b"\r\n"
    out.append(line)
    size += len(line)
    count += 1
open(sys.argv[1], "wb").write(b"".join(out))
print(count)
EOF
)
for i in $(seq -w 1 40); do
    for _ in $(seq 1 "$((10#$i))"); do printf '行%s\r\n' "$i"; done | iconv -f UTF-8 -t CP932 >"$work/walk/file$i.txt"
done

# The status panel that matches the pattern $1, as a screen reader reads it.
panel() {
    /usr/bin/python3 "$here/atspi_status.py" "" SJIS >"$work/atspi.log" 2>&1 ||
        fail "no status bar: $(cat "$work/atspi.log")"
    grep -o "'$1'" "$work/atspi.log" | tr -d "'" | head -n 1
}
# Waits up to 10 s until the line count panel reads other than $1; prints it.
count_other_than() {
    local now=""
    for _ in $(seq 1 20); do
        now=$(panel '全[0-9]*行')
        [ "$now" != "$1" ] && { echo "$now"; return 0; }
        sleep 0.5
    done
    echo "$now"
}
stop() {
    quit_with_ctrl_q "$main" "$pid"
    pid=""
}
# Opens the folder $1, shows its first file a.txt and steps on to the large file after it.
walk_to_large() {
    launch "$bin" /n "$1"
    main=$(wait_for_window "Orlimbo") || fail "no window for $1"
    sleep 0.5
    focus "$main"
    xdotool key Down
    wait_for_title "$main" "a.txt - $version" || fail "the first file is not shown: '$(xdotool getwindowname "$main")'"
    xdotool key Down
}

# Unwrapped, the count is the file's own.
printf '[General]\nWordWrapFlag=N\nWindowWidth=1000\nWindowHeight=600\n' >"$conf/Skimlet.conf"
launch "$bin" "$work/large.txt"
main=$(wait_for_window "large.txt - $version") || fail "no window titled 'large.txt - $version'"
[ "$(count_other_than '')" = "全${lines}行" ] || fail "unwrapped, the panel reads '$(panel '全[0-9]*行')', not 全${lines}行"
pass
stop

# Four times the text, large enough to be read from the file as it is shown: four times the count.
cat "$work/large.txt" "$work/large.txt" "$work/large.txt" "$work/large.txt" >"$work/larger.txt"
launch "$bin" "$work/larger.txt"
main=$(wait_for_window "larger.txt - $version") || fail "no window titled 'larger.txt - $version'"
[ "$(count_other_than '')" = "全$((4 * lines))行" ] || fail "the larger file's panel reads '$(panel '全[0-9]*行')', not 全$((4 * lines))行"
shot larger
pass
stop

# Wrapped, more display lines; narrower, more again; at the first width, the first count.
sed -i 's/^WordWrapFlag=N$/WordWrapFlag=R/' "$conf/Skimlet.conf"
launch "$bin" "$work/large.txt"
main=$(wait_for_window "large.txt - $version") || fail "no wrapped window"
wide=$(count_other_than '')
[ "${wide//[^0-9]/}" -gt "$lines" ] || fail "wrapped at 1000 px the panel reads '$wide'"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool windowsize "$main" 600 "$HEIGHT"
narrow=$(count_other_than "$wide")
[ "${narrow//[^0-9]/}" -gt "${wide//[^0-9]/}" ] || fail "at 600 px the panel reads '$narrow', at 1000 px '$wide'"
shot large-narrow
xdotool windowsize "$main" "$WIDTH" "$HEIGHT"
[ "$(count_other_than "$narrow")" = "$wide" ] || fail "back at $WIDTH px the panel reads '$(panel '全[0-9]*行')', not '$wide'"
pass
stop

# Forty Down keys in one burst: the walk ends at the last file, shown whole.
launch "$bin" /n "$work/walk"
main=$(wait_for_window "Orlimbo") || fail "no window for the folder"
sleep 0.5
focus "$main"
xdotool key --delay 0 $(printf 'Down %.0s' $(seq 1 40))
wait_for_title "$main" "file40.txt - $version" || fail "the walk ended at '$(xdotool getwindowname "$main")'"
[ "$(panel '[0-9]* Bytes')" = "$((40 * 6)) Bytes" ] || fail "the last file's size reads '$(panel '[0-9]* Bytes')'"
shot walked
pass
stop

# Two gigabytes of zero bytes: seconds of reading, with the progress in the line count panel
# (read through AT-SPI, so the window answers), until Esc.
printf '%s\r\n' 一行目 | iconv -f UTF-8 -t CP932 >"$work/slow/a.txt"
truncate -s 2G "$work/slow/b.txt"
walk_to_large "$work/slow"
progress=""
for _ in $(seq 1 20); do
    progress=$(panel '読み込み中… [0-9]*%（Escで中止）')
    [ -n "$progress" ] && break
    sleep 0.2
done
[ -n "$progress" ] || fail "no progress in the status bar while the large file loads"
shot loading
xdotool key Escape
[ "$(count_other_than '')" = "全1行" ] || fail "after Esc the panel reads '$(panel '全[0-9]*行')'"
[ "$(xdotool getwindowname "$main")" = "a.txt - $version" ] || fail "after Esc the caption reads '$(xdotool getwindowname "$main")'"
sleep 0.5
[ -z "$(panel '読み込み中[^\x27]*')" ] || fail "the load goes on after Esc"
pass
stop

# Gigabytes whose first lines are text: those lines are shown at once and read by a screen
# reader, the line count panel says it counts, and Esc puts back the file shown before.
mkdir -p "$work/first"
cp "$work/slow/a.txt" "$work/first/a.txt"
for i in $(seq 1 300); do printf '行%s\n' "$i"; done >"$work/first/c.txt"
truncate -s 2G "$work/first/c.txt"
walk_to_large "$work/first"
wait_for_title "$main" "c.txt - $version" || fail "the large file's first lines are not shown: '$(xdotool getwindowname "$main")'"
/usr/bin/python3 "$here/atspi_status.py" "行250" UTF-8 >"$work/atspi.log" 2>&1 ||
    fail "the first lines are not read out: $(cat "$work/atspi.log")"
grep -q '行数を数えています… [0-9]*%（Escで中止）' "$work/atspi.log" ||
    fail "the line count panel does not say it counts: $(cat "$work/atspi.log")"
shot first-lines
xdotool key Escape
wait_for_title "$main" "a.txt - $version" || fail "after Esc the caption reads '$(xdotool getwindowname "$main")'"
[ "$(count_other_than '')" = "全1行" ] || fail "after Esc the panel reads '$(panel '全[0-9]*行')'"
pass
stop
e2e_done
