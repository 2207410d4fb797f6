#!/usr/bin/env bash
# The real window started on a ZIP made as Windows archivers make them: a member named in code
# page 932 without the UTF-8 flag, holding a code page 932 text. The archive is entered, the
# member shown under its own name in the caption, its text read through AT-SPI, and the status
# bar marks it as lying inside an archive.
set -euo pipefail

bin=$1
here=$(cd "$(dirname "$0")" && pwd)

source "$here/lib.sh"
e2e_begin_with_bus "$0" "$@"

mkdir -p "$work/books"
# zipfile writes non-ASCII names as UTF-8 with the flag; an ASCII stand-in of the same length
# is written instead and its bytes swapped for the CP932 name in both headers.
/usr/bin/python3 - "$work/books/hashire.zip" <<'PY'
import sys, zipfile
path = sys.argv[1]
name = "第一章.txt".encode("cp932")
stand_in = b"X" * (len(name) - 4) + b".txt"
text = "メロスは激怒した。\r\n必ず、かの邪智暴虐の王を除かなければならぬと決意した。\r\n".encode("cp932")
with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr(stand_in.decode("ascii"), text)
    z.writestr("README.md", b"not listed under the text mask\r\n")
data = open(path, "rb").read()
assert data.count(stand_in) == 2
open(path, "wb").write(data.replace(stand_in, name))
PY
version="Orlimbo  Ver 1.40"

launch "$bin" "$work/books/hashire.zip"
main=$(wait_for_window "第一章.txt - $version") ||
    fail "the caption is '$(xdotool search --name Orlimbo getwindowname 2>/dev/null | head -1)'"
pass
/usr/bin/python3 "$here/atspi_status.py" "メロスは激怒した。" "SJIS" >"$work/atspi.log" 2>&1 ||
    fail "the member's text is not shown: $(cat "$work/atspi.log")"
grep -q "書庫内" "$work/atspi.log" || fail "no mark that the file lies in an archive: $(cat "$work/atspi.log")"
pass
shot archive

quit_with_ctrl_q "$main" "$pid"
pid=""
grep -q "hashire.zip/" "$XDG_CONFIG_HOME/brennick/Skimlet.conf" ||
    fail "the member is not stored as the last viewed file"
pass
e2e_done
