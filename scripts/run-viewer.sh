#!/usr/bin/env bash
# Opens the viewer on the given files and folders (default: the bundled samples).
# Without a display it runs the same under a virtual X server for a few seconds
# and saves a screenshot, so the main job can be seen on a headless machine too.
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
viewer="${VISTREL_BINARY:-$top/build/vistrel}"
if (($# == 0)); then set -- "$top"/samples/*; fi

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$viewer" "$@"
fi

shot="${VISTREL_SCREENSHOT:-$top/build/screenshot.png}"
seconds="${VISTREL_SECONDS:-6}"
echo "No display: running the viewer under Xvfb for ${seconds}s and saving a screenshot to $shot"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  "$0" "${@:3}" & viewer=$!
  sleep "$1"
  import -window root "$2"
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
' "$viewer" "$seconds" "$shot" "$@"
echo "Screenshot: $shot"
