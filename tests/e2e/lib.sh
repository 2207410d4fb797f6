# Shared by the e2e scripts: an X server of their own, a fresh home, waiting for a window.

# Runs the calling script again inside xvfb-run, unless it already is there. The X server's
# own messages go to $ORLIMBO_E2E_XLOG, for the report of a failure. -noreset: a server resets
# when its last client leaves, and a program started in that moment cannot connect.
e2e_in_x() {
    if [ -z "${ORLIMBO_E2E_IN_X:-}" ]; then
        export ORLIMBO_E2E_IN_X=1 ORLIMBO_E2E_XLOG
        ORLIMBO_E2E_XLOG=$(mktemp)
        local status=0
        ${with_bus:+dbus-run-session --} \
            xvfb-run -a -e "$ORLIMBO_E2E_XLOG" -s "-screen 0 1280x800x24 -noreset" "$@" \
            || status=$?
        rm -f "$ORLIMBO_E2E_XLOG"
        exit "$status"
    fi
}

# As e2e_in_x, with a session bus of its own for the accessibility checks, and the program's
# widgets offered on it.
e2e_in_x_with_bus() {
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    with_bus=1 e2e_in_x "$@"
}

# The start of every script: its own X server (with a session bus for the accessibility
# checks in the _with_bus form), a fresh home, and the clean-up at exit.
e2e_begin() {
    e2e_in_x "$@"
    e2e_fresh_home
    e2e_clean_up_at_exit
}
e2e_begin_with_bus() {
    e2e_in_x_with_bus "$@"
    e2e_fresh_home
    e2e_clean_up_at_exit
}

# Sets $work to a new folder and points HOME, the XDG folders and Qt at it.
e2e_fresh_home() {
    work=$(mktemp -d)
    export QT_QPA_PLATFORM=xcb
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# Runs openbox on the script's X server, as a desktop would: dialogs are then placed, stacked
# and focused by a window manager. Waits up to 10 s until it has taken the screen; the clean-up
# of e2e_clean_up_at_exit ends it before removing $work, where it writes.
wm_pid=""
e2e_window_manager() {
    openbox --sm-disable >"$work/wm.log" 2>&1 &
    wm_pid=$!
    for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && return 0
        sleep 0.1
    done
    fail "openbox did not start: $(tail -n 3 "$work/wm.log")"
}

e2e_stop_window_manager() {
    [ -n "$wm_pid" ] || return 0
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
}

# At the end of the script the program started as $pid, if one still runs, is killed and $work
# is removed.
e2e_clean_up_at_exit() {
    pid=""
    trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; e2e_stop_window_manager; rm -rf "$work"' EXIT
}

# Starts the command given in the background, its output in $work/out.log, as $pid.
launch() {
    "$@" >"$work/out.log" 2>&1 &
    pid=$!
}

# With ORLIMBO_E2E_SHOTS set to a folder, leaves a screenshot of the whole screen there as $1.png.
shot() { [ -n "${ORLIMBO_E2E_SHOTS:-}" ] && import -window root "$ORLIMBO_E2E_SHOTS/$1.png" || true; }

# Prints the id of the first shown window whose title matches the pattern $1, waiting up to 10 s.
wait_for_match() {
    local pattern=$1 id=""
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Prints the id of the first shown window titled exactly $1, waiting up to 10 s.
wait_for_window() { wait_for_match "^$1\$"; }

# The tally: `pass` after each check, `fail MESSAGE` ends the script, `e2e_done` prints the line.
passed=0
pass() { passed=$((passed + 1)); }
fail() {
    echo "e2e: $*" >&2
    report_what_ended >&2
    echo "e2e: $passed passed, 1 failed"
    exit 1
}

# Why a window may not have come: the program of $pid, or the X server, had ended. Either way
# the last of their output.
report_what_ended() {
    if [ -n "${pid:-}" ] && ! kill -0 "$pid" 2>/dev/null; then
        local status=0
        wait "$pid" 2>/dev/null || status=$?
        echo "e2e: the program had ended, status $status"
    fi
    if [ -s "${work:-}/out.log" ]; then
        echo "e2e: the program's output ends:"
        tail -n 10 "$work/out.log"
    fi
    if ! xdotool getdisplaygeometry >/dev/null 2>&1; then
        echo "e2e: the X server is gone; its output ends:"
        tail -n 10 "${ORLIMBO_E2E_XLOG:-/dev/null}"
    fi
}
e2e_done() { echo "e2e: $passed passed, 0 failed"; }

# Gives window $1 the keyboard focus.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"; }

# Focuses window $1 and presses the keys after it, one by one, giving each time to act.
keys() {
    local id=$1
    shift
    focus "$id"
    sleep 0.2
    for k in "$@"; do
        xdotool key --clearmodifiers "$k"
        sleep 0.3
    done
}

# Waits up to 5 s until window $1 is titled exactly $2.
wait_for_title() {
    for _ in $(seq 1 50); do
        [ "$(xdotool getwindowname "$1" 2>/dev/null)" = "$2" ] && return 0
        sleep 0.1
    done
    return 1
}

# Quits the program of window $1, process $2, with Ctrl+Q; a program that ends other than
# cleanly, or still runs 10 s later (then killed), fails the script.
quit_with_ctrl_q() {
    local id=$1 pid=$2
    focus "$id"
    xdotool key --clearmodifiers ctrl+q
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            local status=0
            wait "$pid" 2>/dev/null || status=$?
            # Reaped here: the report must not wait for it again.
            [ "$status" -eq 0 ] || { pid=""; fail "the program ended with status $status on Ctrl+Q"; }
            return 0
        fi
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    fail "Ctrl+Q did not close the window"
}
