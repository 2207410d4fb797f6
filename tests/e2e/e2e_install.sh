#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what lands there: the launcher entry,
# the icons, the metainfo (both validated), the data folder and nothing of the tests; then the
# installed program answers --help and --version without a display, starts from the prefix,
# and puts its work files in the per-user cache only once its folder is read-only.
set -euo pipefail

build=$1

source "$(dirname "$0")/lib.sh"
e2e_in_x "$0" "$@"
e2e_fresh_home
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
app=net.brennick.Orlimbo
bin="$prefix/bin/orlimbo"
share="$prefix/share"

# What is installed, and only that.
[ -x "$bin" ] || fail "no executable in bin/"
[ "$(ls "$prefix/bin")" = "orlimbo" ] || fail "bin/ holds more than the program: $(ls "$prefix/bin")"
if find "$prefix" -iname '*test*' -o -iname '*bench*' | grep -q .; then
    fail "tests or benchmarks installed: $(find "$prefix" -iname '*test*' -o -iname '*bench*')"
fi
[ -f "$share/orlimbo/samples/00はじめに.txt" ] || fail "the samples are not in the data folder"
if [ -f "$build/Skimlet.chm" ]; then
    cmp -s "$build/Skimlet.chm" "$share/orlimbo/Skimlet.chm" || fail "the help file is not in the data folder"
fi
pass

[ -f "$share/icons/hicolor/scalable/apps/$app.svg" ] || fail "no scalable icon"
for size in 16 22 24 32 48 64 128 256; do
    png="$share/icons/hicolor/${size}x${size}/apps/$app.png"
    [ -f "$png" ] || fail "no ${size} px icon"
    [ "$(identify -format '%wx%h' "$png")" = "${size}x${size}" ] || fail "the ${size} px icon is $(identify -format '%wx%h' "$png")"
done
pass

desktop="$share/applications/$app.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate refuses $desktop"
grep -qx 'MimeType=text/plain;' "$desktop" || fail "the entry does not offer itself for text/plain"
grep -qx "Icon=$app" "$desktop" || fail "the entry names another icon"
pass
appstreamcli validate --no-net "$share/metainfo/$app.metainfo.xml" >"$work/appstream.log" \
    || { cat "$work/appstream.log" >&2; fail "appstreamcli refuses the metainfo"; }
pass

# Usage and version on standard output, with no display at all.
[ "$(env -u DISPLAY "$bin" --version)" = "Orlimbo 1.40" ] || fail "--version printed '$(env -u DISPLAY "$bin" --version)'"
usage=$(env -u DISPLAY "$bin" --help 2>/dev/null)
[[ "$usage" == 使い方:* ]] || fail "--help printed '$usage'"
[[ "$usage" == *"orlimbo /n"* ]] || fail "--help does not name /n"
pass

# Runs the installed program on a copy of a sample, applies an effect (work files) and quits.
run_with_effect() {
    local file="$work/text.txt" title="text.txt - Orlimbo  Ver 1.40" id pid
    cp "$share/orlimbo/samples/00はじめに.txt" "$file"
    launch "$bin" "$file"
    id=$(wait_for_window "$title") || fail "the installed program shows no window titled '$title'"
    focus "$id"
    xdotool key --clearmodifiers ctrl+j
    sleep 0.5
    # The effect went through the work files: the view, copied whole, has no line break left.
    xdotool mousemove --window "$id" 450 300 click 1
    xdotool key --clearmodifiers ctrl+a ctrl+c
    sleep 0.3
    local copied
    copied=$(xclip -o -selection clipboard 2>/dev/null || true)
    [ -n "$copied" ] || fail "nothing was copied from the view"
    [ "$(printf '%s' "$copied" | wc -l)" = 0 ] || fail "the line breaks are still there: the effect did not run"
    # A failure box over the work files would be a second window of the program.
    [ "$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | wc -l)" -le 1 ] || fail "a message came up over the effect"
    quit_with_ctrl_q "$id" "$pid"
}

# At a device pixel ratio of 2 the window manager is offered the icon drawn at 128 px.
QT_SCALE_FACTOR=2 launch "$bin" "$share/orlimbo/samples/00はじめに.txt"
id=$(wait_for_window "00はじめに.txt - Orlimbo  Ver 1.40") || fail "no window at scale factor 2"
sleep 0.5
icons=$(xprop -id "$id" -notype _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
[[ "$icons" == *"Icon (128 x 128)"* ]] || fail "the window icon at scale factor 2 comes only as: $icons"
quit_with_ctrl_q "$id" "$pid"
pass

# "/n FOLDER" still starts a further window, with nothing shown.
launch "$bin" /n "$share/orlimbo/samples/"
id=$(wait_for_window "Orlimbo") || fail "/n FOLDER did not start a window"
grep -q '使い方' "$work/out.log" && fail "/n FOLDER printed the usage"
quit_with_ctrl_q "$id" "$pid"
pass

# A writable program folder keeps the work files beside the program, as in the build folder.
run_with_effect
[ ! -e "$XDG_CACHE_HOME/Orlimbo" ] || fail "the cache was used although bin/ is writable"
ls "$prefix/bin"/*.TMP >/dev/null 2>&1 && fail "work files were left in bin/"
pass

# A read-only one (as /usr/bin is to a user) sends them to the per-user cache.
chmod a-w "$prefix/bin"
run_with_effect
[ -d "$XDG_CACHE_HOME/Orlimbo" ] || fail "the work files did not go to the per-user cache"
ls "$XDG_CACHE_HOME/Orlimbo"/*.TMP >/dev/null 2>&1 && fail "work files were left in the cache"
[ "$(ls "$prefix/bin")" = "orlimbo" ] || fail "the program wrote into its read-only folder"
pass

e2e_done
