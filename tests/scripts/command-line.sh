#!/usr/bin/env bash
# Help, version and a mistaken option are answered without any display.
# Usage: command-line.sh VISTREL_BINARY EXPECTED_VERSION
set -u
vistrel=$1 version=$2
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
fail() { echo "FAIL: $*" >&2; echo "--- stdout" >&2; cat "$out" >&2; echo "--- stderr" >&2; cat "$err" >&2; exit 1; }
run() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$vistrel" "$@" >"$out" 2>"$err"; }

run --version; status=$?
[ "$status" -eq 0 ] && [ "$(cat "$out")" = "vistrel $version" ] && [ ! -s "$err" ] || fail "--version (status $status)"

run a.png --help; status=$?
[ "$status" -eq 0 ] && grep -q '^Usage: vistrel ' "$out" && grep -q -- '--new-window' "$out" || fail "--help (status $status)"

run a.png --foo; status=$?
[ "$status" -eq 2 ] && [ ! -s "$out" ] &&
    [ "$(cat "$err")" = "$(printf "vistrel: unknown option '--foo'\nTry 'vistrel --help'.")" ] || fail "--foo (status $status)"
echo PASS
