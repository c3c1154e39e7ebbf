#!/usr/bin/env bash
# Installs the other viewers the launch benchmark compares against, and the window
# manager it runs them under, and libheif's encoder for the HEIC fixture. Only for
# measuring: the build and the tests need none of them.
set -euo pipefail
exec "$(dirname "$0")/apt-install-missing.sh" install-bench-peers openbox feh nsxiv mpv qimgv libheif-examples
