#!/usr/bin/env bash
# Installs every Debian 12 package the build, the tests and the samples need.
# Safe to run again: apt only installs what is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-image-formats-plugins qt6-qpa-plugins
  libmpv-dev
  libavformat-dev libavcodec-dev libavutil-dev
  libexiv2-dev exiv2
  nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest
  libxcb1-dev libxcb-randr0-dev libfontconfig-dev
  shared-mime-info fonts-urw-base35
  xvfb xauth xdotool imagemagick
  ffmpeg
  librsvg2-bin
  desktop-file-utils appstream groff-base
  libheif-dev libheif-examples libjxl-dev
  libpng-dev libseccomp-dev libjpeg62-turbo-dev zlib1g-dev
  weston qt6-wayland
)

exec "$(dirname "$0")/apt-install-missing.sh" install-deps "${PACKAGES[@]}"
