#!/usr/bin/env bash
# An Aozora Bunko work as Aozora ships it, a code page 932 text in a ZIP, opened from the
# command line: it is shown as a book (the readings out of the line, the notes hidden), its
# command checked, and a screenshot taken of the readings drawn over their bases; full screen shows
# the same book. The same work as a text file, read while the window is made, is a book too.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)
data=$(cd "$here/../../bench/data" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"

/usr/bin/python3 - "$data/aozora.txt.xz" "$work/rashomon.zip" <<'PY'
import lzma, sys, zipfile
work = lzma.open(sys.argv[1], "rt", encoding="utf-8").read().split("\f\n")[0]
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("rashomon.txt", work.replace("\n", "\r\n").encode("cp932"))
with open(sys.argv[2].replace(".zip", ".txt"), "wb") as f:
    f.write(work.replace("\n", "\r\n").encode("cp932"))
PY
version="Orlimbo  Ver 1.40"

launch "$bin" "$work/rashomon.zip"
main=$(wait_for_window "rashomon.txt - $version") ||
    fail "the caption is '$(xdotool search --name Orlimbo getwindowname 2>/dev/null | head -1)'"
pass
/usr/bin/python3 "$here/atspi_status.py" "一人の下人が、羅生門の下で雨やみを待っていた。" "SJIS" >"$work/atspi.log" 2>&1 ||
    fail "the work is not shown as a book: $(cat "$work/atspi.log")"
pass
/usr/bin/python3 "$here/atspi_checked.py" "青空文庫形式" >"$work/checked.log" 2>&1 ||
    fail "the book command is not checked: $(cat "$work/checked.log")"
pass
shot aozora

# Full screen is a second view of the same book: the readings out of the line there too.
keys "$main" ctrl+alt+z
full=$(wait_for_window "Full Screen") || fail "no full-screen window"
/usr/bin/python3 "$here/atspi_fullscreen.py" "一人の下人が、羅生門の下で雨やみを待っていた。" "《" >"$work/full.log" 2>&1 ||
    fail "full screen does not show the book: $(cat "$work/full.log")"
pass
shot aozora_fullscreen
keys "$full" Escape
for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name "^Full Screen\$" >/dev/null 2>&1 || break
    sleep 0.1
done
! xdotool search --onlyvisible --name "^Full Screen\$" >/dev/null 2>&1 || fail "Esc did not close full screen"
pass

quit_with_ctrl_q "$main" "$pid"
pid=""

launch "$bin" "$work/rashomon.txt"
main=$(wait_for_window "rashomon.txt - $version") || fail "the text file's window did not come up"
/usr/bin/python3 "$here/atspi_checked.py" "青空文庫形式" >"$work/checked.log" 2>&1 ||
    fail "the text file is not shown as a book: $(cat "$work/checked.log")"
/usr/bin/python3 "$here/atspi_status.py" "一人の下人が、羅生門の下で雨やみを待っていた。" "SJIS" >"$work/atspi.log" 2>&1 ||
    fail "the text file's book is not shown: $(cat "$work/atspi.log")"
pass
quit_with_ctrl_q "$main" "$pid"
pid=""
e2e_done
