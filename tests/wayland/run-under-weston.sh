#!/bin/sh
# Runs a test program on Qt's Wayland platform against a headless weston of its own,
# with a private runtime folder, so no desktop session is needed or disturbed.
# Exits 77 (skipped) when weston or Qt's Wayland platform is not installed.
set -u

program=$1
shift

if ! command -v weston >/dev/null 2>&1; then
    echo "SKIPPED: weston is not installed (Debian package weston)"
    exit 77
fi

runtime=$(mktemp -d "${TMPDIR:-/tmp}/vistrel-wayland-XXXXXX") || exit 1
chmod 700 "$runtime"
socket=vistrel-test
XDG_RUNTIME_DIR=$runtime weston --backend=headless-backend.so --use-pixman --no-config \
    --socket=$socket --width=1280 --height=800 >"$runtime/weston.log" 2>&1 &
weston_pid=$!
trap 'kill "$weston_pid" 2>/dev/null; wait "$weston_pid" 2>/dev/null; rm -rf "$runtime"' EXIT

tries=0
while [ ! -S "$runtime/$socket" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 100 ] || ! kill -0 "$weston_pid" 2>/dev/null; then
        echo "weston did not start:"
        cat "$runtime/weston.log"
        exit 1
    fi
    sleep 0.1
done

XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$socket QT_QPA_PLATFORM=wayland "$program" "$@"
status=$?
if [ "$status" -ne 0 ]; then
    echo "--- weston log"
    cat "$runtime/weston.log"
fi
exit "$status"
