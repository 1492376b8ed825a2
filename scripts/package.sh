#!/usr/bin/env bash
# Installs what is missing, builds the three programs (preset "release", in
# build/) and makes the Debian package build/corvane_VERSION_ARCH.deb.
# Install it with: sudo apt-get install ./build/corvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# dpkg-shlibdeps (dpkg-dev) and file find the libraries the programs use.
missing=()
for p in dpkg-dev file; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
cmake --preset release
cmake --build --preset release -j"$(nproc)" --target corvane corvane-cli corvane-pumpsim
cd build
rm -f corvane_*.deb
cpack -G DEB
ls -l corvane_*.deb
