#!/usr/bin/env bash
# Runs every benchmark built in <build dir>/bench and prints their figures
# (open_picture, decode, playlist_file, playlist_model, folder_scan, ...). A benchmark that
# misses its goal exits non-zero; the others still run, and the script then fails.
# Launch-to-pixel timing against other viewers is separate: ./dev.sh launch-bench.
set -euo pipefail
build_dir="${1:-build}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
# The benchmarks run from bench/, away from the modules the program finds beside it.
build_path="$(cd "$build_dir" && pwd)"
export VISTREL_FORMATS_MODULE="${VISTREL_FORMATS_MODULE:-$build_path/libvistrel_formats.so}"
export VISTREL_METADATA_MODULE="${VISTREL_METADATA_MODULE:-$build_path/libvistrel_metadata.so}"
shopt -s nullglob
status=0
for bench in "$build_dir"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench" || status=1
done
exit "$status"
