#!/usr/bin/env bash
# Builds the Debian package from the build folder (reusing its program), then
# checks the package's fields, unpacks it into a scratch root, checks its files,
# runs the unpacked program, and runs its maintainer scripts against stand-in
# cache tools.
# Usage: check-deb.sh CPACK BUILD_DIR VERSION
set -euo pipefail
cpack_command=$1 build_dir=$2 version=$3
INSTALL_TESTS_DIR=$(cd "$(dirname "$0")" && pwd)
source "$INSTALL_TESTS_DIR/checks.sh"

"$cpack_command" -G DEB --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/out/vistrel_"$version"_*.deb)
[[ -f "${debs[0]}" ]] || fail "no vistrel_${version}_*.deb in $(ls "$work/out")"
deb=${debs[0]}

field() { dpkg-deb --field "$deb" "$1"; }
[[ "$(field Package)" == vistrel ]] || fail "package name: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "package version: $(field Version)"
[[ "$(field Section)" == graphics ]] || fail "section: $(field Section)"
[[ "$(field Maintainer)" == *@* ]] || fail "maintainer: $(field Maintainer)"
[[ -n "$(field Description)" ]] || fail "no description"
depends=$(field Depends)
for library in libc6 libqt6widgets6 libmpv libavformat libexiv2 qt6-qpa-plugins; do
    [[ "$depends" == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

dpkg-deb --extract "$deb" "$work/root"
check_file_list "$work/root/usr"
check_release_version "$work/root/usr/share" "$version"

program=$work/root/usr/bin/vistrel
if readelf --dynamic "$program" | grep -E 'RPATH|RUNPATH' >&2; then fail "the packaged program keeps a build path"; fi
if readelf --sections "$program" | grep -q '\.debug_info'; then fail "the packaged program is not stripped"; fi
# Asking for the version needs no display.
answer=$(env -u DISPLAY -u WAYLAND_DISPLAY "$program" --version) || fail "vistrel --version failed"
[[ "$answer" == "vistrel $version" ]] || fail "vistrel --version printed '$answer'"

# The maintainer scripts call each cache tool that exists and succeed even when
# every one of them fails, or none is installed.
dpkg-deb --control "$deb" "$work/control"
mkdir -p "$work/failing-tools" "$work/no-tools"
for tool in update-desktop-database update-mime-database gtk-update-icon-cache; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\nexit 1\n' "$tool" "$work/calls" >"$work/failing-tools/$tool"
    chmod +x "$work/failing-tools/$tool"
done
for script in postinst postrm; do
    [[ "$(stat -c %a "$work/control/$script")" == 755 ]] || fail "$script is not mode 755"
    rm -f "$work/calls"
    PATH=$work/failing-tools /bin/sh "$work/control/$script" configure || fail "$script fails when the tools fail"
    [[ $(wc -l <"$work/calls") == 3 ]] || fail "$script called: $(cat "$work/calls" 2>/dev/null)"
    grep -q '^update-mime-database /usr/share/mime$' "$work/calls" || fail "$script refreshes another MIME folder"
    PATH=$work/no-tools /bin/sh "$work/control/$script" remove || fail "$script fails without the tools"
done
echo "deb: $(basename "$deb") built, unpacked and checked"
