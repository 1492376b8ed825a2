#!/usr/bin/env bash
# Median wall time and peak memory of ten cold starts of the main window,
# offscreen. Usage: bench/startup.sh [build-dir]
set -euo pipefail
bin="${1:-build}/bench/bench_startup"
export QT_QPA_PLATFORM=offscreen
ms=(); kib=()
for _ in $(seq 10); do
    t0=$(date +%s%N)
    kib+=("$("$bin")")
    ms+=($(( ($(date +%s%N) - t0) / 1000000 )))
done
median() { printf '%s\n' "$@" | sort -n | sed -n 5,6p | awk '{s+=$1} END {print s/2}'; }
echo "start-up: median $(median "${ms[@]}") ms wall, peak RSS median $(median "${kib[@]}") KiB (10 runs)"
