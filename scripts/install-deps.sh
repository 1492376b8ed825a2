#!/usr/bin/env bash
# Installs what building and testing Corvane needs on Debian 12 (run as root,
# or with sudo available). Does nothing for packages already present.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-base-dev-tools qt6-serialport-dev libgl-dev
      libqt6sql6-sqlite libqt6sql6-psql postgresql e2fsprogs
      xvfb xauth clang libclang-rt-14-dev clang-format ccache
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
