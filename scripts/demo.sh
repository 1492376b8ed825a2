#!/usr/bin/env bash
# Installs what is missing, builds Corvane and starts it with the simulated pump.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)" --target corvane
exec ./build/corvane --demo
