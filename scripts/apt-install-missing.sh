#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing; nothing when all are there.
#   apt-install-missing.sh <name for messages> package...
set -euo pipefail
name="$1"
shift

missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  echo "$name: all packages present"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
