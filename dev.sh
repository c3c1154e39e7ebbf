#!/usr/bin/env bash
# The project's front door on a fresh Debian 12 machine:
#   ./dev.sh run [files...]   install what is missing, build, open the viewer (default: the samples)
#   ./dev.sh test             install what is missing, build, run every test suite
#   ./dev.sh bench            install what is missing, build, run the benchmarks
#   ./dev.sh deb              install what is missing, make a release build and its
#                             Debian package (build-release/vistrel_*.deb)
#   ./dev.sh launch-bench [options]  also install the peer viewers, then time launch to
#                             first pixel against them (bench/launch/launch-bench.py --help)
# PRESET=ci ./dev.sh test builds and tests with the address and undefined-behaviour
# sanitizers and warnings as errors, as the CI runs it; PRESET=asan is the same build
# where warnings stay warnings.
set -euo pipefail
cd "$(dirname "$0")"

preset="${PRESET:-dev}"
build_dir=build
[[ "$preset" != dev ]] && build_dir="build-$preset"

build() {
  ./scripts/install-deps.sh
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

# The package comes from a release build without tests or benchmarks.
package_deb() {
  ./scripts/install-deps.sh
  cmake --preset release -DVISTREL_BUILD_BENCH=OFF >/dev/null
  cmake --build --preset release
  (cd build-release && cpack -G DEB)
  ls build-release/vistrel_*.deb
}

command="${1:-}"
shift || true
case "$command" in
  run)   build; VISTREL_BINARY="$PWD/$build_dir/vistrel" exec ./scripts/run-viewer.sh "$@" ;;
  test)  build; exec ctest --preset "$preset" --output-on-failure ;;
  bench) build; exec ./scripts/run-bench.sh "$build_dir" ;;
  deb)   package_deb ;;
  launch-bench) build; ./scripts/install-bench-peers.sh
                exec ./bench/launch/launch-bench.py --build "$build_dir" "$@" ;;
  *) echo "usage: ./dev.sh run [files...] | test | bench | deb | launch-bench [options]" >&2; exit 2 ;;
esac
