#!/usr/bin/env bash
# The median wall time, in milliseconds, of a command run 21 times (after one run that
# warms the page cache): what the program's own start-up costs, loading and relocating
# its libraries and running their initialisers, when the command returns at once.
#   bench/launch/start-up-time.sh build/vistrel --version
set -euo pipefail
runs=21
"$@" >/dev/null 2>&1 || true
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
done | sort -n | awk -v runs="$runs" '{ t[NR] = $1 } END { printf "%.1f ms median of %d runs\n", t[(runs + 1) / 2] / 1000, runs }'
