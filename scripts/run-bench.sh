#!/usr/bin/env bash
# Runs every benchmark built in <build dir>/bench and prints their figures.
# Launch-to-pixel timing against other viewers is separate: ./dev.sh launch-bench.
set -euo pipefail
build_dir="${1:-build}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
shopt -s nullglob
for bench in "$build_dir"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench"
done
