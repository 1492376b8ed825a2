#!/usr/bin/env bash
# Installs what is missing, builds Corvane and runs every test.
# The configure line lives in CMakePresets.json (preset "release", in build/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --preset release -j"$(nproc)"
