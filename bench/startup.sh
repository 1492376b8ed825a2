#!/usr/bin/env bash
# Start-up of the main window against a bare Qt Widgets window (five tabs of
# forty labels that opens a port, bench/bare_window.cpp), side by side: ten
# pairs of cold whole-process starts, each quitting after its first frame.
# Prints the medians of wall time, processor time and peak memory and the
# ratios Corvane / bare, for a first start (no port chosen yet: the window
# opens on Pump Communication) and for a start with a port chosen (Run Mode).
#   bench/startup.sh [build-dir] [pairs]
# QT_QPA_PLATFORM=xcb (with DISPLAY set, e.g. under xvfb-run) measures on X;
# offscreen otherwise.
set -euo pipefail
build="${1:-build}"
pairs="${2:-10}"
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
declare -A ms cpu kib
run() { # name binary [argument]
    local t0 out
    t0=$(date +%s%N)
    out=$("$2" ${3:+"$3"} 2>/dev/null)
    ms[$1]+="$(( ($(date +%s%N) - t0) / 1000000 )) "
    kib[$1]+="${out%% *} "
    cpu[$1]+="${out##* } "
}
for i in $(seq "$pairs"); do
    # Alternate which one starts first, so neither always finds the caches warm.
    if (( i % 2 )); then
        run bare "$build/bench/bench_bare_window"; run corvane "$build/bench/bench_startup"
        run chosen "$build/bench/bench_startup" --port-chosen
    else
        run chosen "$build/bench/bench_startup" --port-chosen
        run corvane "$build/bench/bench_startup"; run bare "$build/bench/bench_bare_window"
    fi
done
median() { printf '%s\n' $1 | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
for start in corvane chosen; do
    if [[ $start == corvane ]]; then
        echo "start-up on $QT_QPA_PLATFORM, medians of $pairs pairs   corvane | bare | ratio"
    else
        echo "with a port chosen (opens on Run Mode)"
    fi
    for what in ms cpu kib; do
        declare -n m=$what
        c=$(median "${m[$start]}"); b=$(median "${m[bare]}")
        label=$([[ $what == ms ]] && echo "wall ms" || ([[ $what == cpu ]] && echo "CPU ms" || echo "peak KiB"))
        printf '  %-9s %8s | %8s | %s x\n' "$label" "$c" "$b" "$(ratio "$c" "$b")"
    done
done
