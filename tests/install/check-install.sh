#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks every file that arrives.
# Usage: check-install.sh CMAKE BUILD_DIR VERSION
set -euo pipefail
cmake_command=$1 build_dir=$2 version=$3
INSTALL_TESTS_DIR=$(cd "$(dirname "$0")" && pwd)
source "$INSTALL_TESTS_DIR/checks.sh"
prefix=$work/prefix

"$cmake_command" --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 \
    || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

check_file_list "$prefix"
[[ -x "$prefix/bin/vistrel" ]] || fail "the program is not executable"
check_modules "$prefix"
check_icons "$prefix/share/icons/hicolor"
check_desktop_files "$prefix/share"
check_release_version "$prefix/share" "$version"
check_mime_package "$prefix/share" "$work/scratch"
check_manual_page "$prefix/share" "$version"
out=$(appstreamcli validate-tree --no-net "$prefix" 2>&1) || fail "appstreamcli validate-tree: $out"
echo "install: all files in place and valid"
