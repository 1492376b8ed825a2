#!/usr/bin/env bash
# Installs what building and testing Corvane needs on Debian 12 (run as root,
# or with sudo available). Does nothing for packages already present.
# help2man writes the manual pages at build time; dpkg-dev and file (which
# find the libraries the programs use), lintian, desktop-file-utils and
# shared-mime-info make and check the Debian package (scripts/package.sh,
# scripts/check-package.sh).
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
      libqt6sql6-sqlite libqt6sql6-psql postgresql e2fsprogs
      xvfb xauth clang libclang-rt-14-dev clang-format ccache poppler-utils
      help2man
      dpkg-dev file lintian desktop-file-utils shared-mime-info
      at-spi2-core dbus-daemon)
missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
