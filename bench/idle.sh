#!/usr/bin/env bash
# Idle processor use of the window polling the demo pump: corvane --demo,
# offscreen, left alone; the processor time between 5 s after the start and
# the end of the measured span, as a share of that span. Several binaries
# (e.g. an older build to compare against) run side by side, so they see the
# same machine load.
#   bench/idle.sh [seconds] [corvane-binary...]   (default: build/corvane)
set -euo pipefail
seconds="${1:-30}"
shift || true
bins=("$@")
[[ ${#bins[@]} -gt 0 ]] || bins=(build/corvane)
work=$(mktemp -d)
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" CORVANE_ARCHIVE="$work/archive.sqlite"
pids=()
for b in "${bins[@]}"; do
    "$b" --demo >/dev/null 2>&1 &
    pids+=($!)
done
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
sleep 5
declare -a t0
for i in "${!pids[@]}"; do t0[i]=$(ticks "${pids[i]}"); done
start=$(date +%s%N)
sleep "$seconds"
hz=$(getconf CLK_TCK)
span=$(( ($(date +%s%N) - start) / 1000000 ))
for i in "${!pids[@]}"; do
    used=$(( $(ticks "${pids[i]}") - t0[i] ))
    awk -v u="$used" -v hz="$hz" -v ms="$span" -v b="${bins[i]}" \
        'BEGIN {printf "%s: idle CPU %.2f %% (%d ms of processor in %.1f s)\n", b, 100 * u * 1000 / hz / ms, u * 1000 / hz, ms / 1000}'
done
