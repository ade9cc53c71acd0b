#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages that building, testing and running Vantrel need.
# Runs apt-get as root directly, or through sudo for an ordinary user.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ pkg-config clang clang-format
    qt6-base-dev qt6-base-dev-tools libgl-dev librsvg2-bin
    libusb-1.0-0-dev libsystemd-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    umockdev libumockdev-dev
    dbus-daemon
    xvfb xauth xdotool imagemagick lintian appstream poppler-utils
    # run time: FAT tools for the SD card, fonts for the fixed-size windows and CJK texts
    dosfstools mtools
    fonts-crosextra-carlito fonts-noto-cjk fonts-dejavu-core
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}"
