#!/usr/bin/env bash
# Installs the other viewers the launch benchmark compares against, and the window
# manager it runs them under. Only for measuring: the build and the tests need none of them.
set -euo pipefail

PACKAGES=(openbox feh nsxiv mpv qimgv time)

missing=()
for package in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]} == 0)); then
  echo "install-bench-peers: all packages present"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}" ||
  { $SUDO apt-get update -q && $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; }
