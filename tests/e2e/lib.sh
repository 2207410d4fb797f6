# Shared by the e2e scripts: an X server of their own, a fresh home, waiting for a window.

# Runs the calling script again inside xvfb-run, unless it already is there.
e2e_in_x() {
    if [ -z "${ORLIMBO_E2E_IN_X:-}" ]; then
        export ORLIMBO_E2E_IN_X=1
        exec xvfb-run -a -s "-screen 0 1280x800x24" "$@"
    fi
}

# Sets $work to a new folder and points HOME, the XDG folders and Qt at it.
e2e_fresh_home() {
    work=$(mktemp -d)
    export QT_QPA_PLATFORM=xcb
    export XDG_CONFIG_HOME="$work/config" HOME="$work/home" XDG_RUNTIME_DIR="$work/run"
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
}

# Prints the id of the first shown window titled exactly $1, waiting up to 10 s.
wait_for_window() {
    local title=$1 id=""
    for _ in $(seq 1 100); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}
