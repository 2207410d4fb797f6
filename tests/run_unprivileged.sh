#!/usr/bin/env bash
# Runs the file-operation and bookmark-place tests of the core test program once more as a
# system user without privileges, so that refused access, a read-only program folder and a
# read-only target folder are met for real: the superuser passes every permission check.
set -euo pipefail

bin=$1
filter='FileOperations*:FileOp*:BookmarkPlace.*'

if [ "$(id -u)" -ne 0 ]; then
    echo "unprivileged: not run as the superuser; the normal run of these tests is already unprivileged"
    exit 0
fi
user=nobody
uid=$(id -u "$user")
gid=$(id -g "$user")

# A folder of its own that the user may read and write: the build folder may lie where it
# cannot reach (a home folder of mode 700), so the program is copied there.
work=$(mktemp -d /tmp/orlimbo-unprivileged.XXXXXX)
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
install -m 755 "$bin" "$work/core_tests"
mkdir "$work/home" "$work/tmp"
chown "$uid:$gid" "$work/home" "$work/tmp"

cd "$work"
exec env -i PATH="$PATH" HOME="$work/home" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/home/.config" \
    XDG_DATA_HOME="$work/home/.local/share" XDG_CACHE_HOME="$work/home/.cache" LANG="${LANG:-C.UTF-8}" \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    ${ASAN_SYMBOLIZER_PATH:+ASAN_SYMBOLIZER_PATH="$ASAN_SYMBOLIZER_PATH"} \
    setpriv --reuid="$uid" --regid="$gid" --clear-groups "$work/core_tests" --gtest_filter="$filter"
