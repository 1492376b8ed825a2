#!/usr/bin/env bash
# Installs what is missing, builds the three programs (preset "release", in
# build/) and makes the Debian package build/corvane_VERSION-1_ARCH.deb.
# Install it with: sudo apt-get install ./build/corvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)" --target corvane corvane-cli corvane-pumpsim \
    corvane_man corvane_changelog
cd build
rm -f corvane_*.deb
cpack -G DEB
ls -l corvane_*.deb
