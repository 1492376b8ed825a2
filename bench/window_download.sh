#!/usr/bin/env bash
# A history download through the real window on X, against the wire time:
# starts Xvfb and corvane-pumpsim (paced like the real line) on a
# pseudo-terminal, then runs bench_window_download twice: without the
# accessibility bridge, and with it (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 on a
# private D-Bus session with an at-spi bus).
#   bench/window_download.sh [build-dir] [records] [downloads]
# BENCH_BIN=path runs another build of bench_window_download (e.g. a copy of
# an earlier one, to compare in one sitting).
set -euo pipefail
build="$(cd "${1:-build}" && pwd)"
records="${2:-999}"
downloads="${3:-3}"
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X${display#:} ]] && break; sleep 0.1; done

"$build/tools/pumpsim/corvane-pumpsim" --records "$records" >"$work/pumpsim.out" 2>"$work/pumpsim.err" &
pids+=($!)
for _ in $(seq 100); do [[ -s $work/pumpsim.out ]] && break; sleep 0.1; done
device=$(head -n1 "$work/pumpsim.out")
[[ -n $device ]] || { echo "corvane-pumpsim gave no device"; cat "$work/pumpsim.err"; exit 1; }

bin="${BENCH_BIN:-$build/bench/bench_window_download}"
# The window's modules (the Sampling Runs chart) from the build tree.
export CORVANE_MODULE_DIR="$build"
echo "== on X (Xvfb, xcb), no accessibility bridge"
env -u DBUS_SESSION_BUS_ADDRESS -u QT_LINUX_ACCESSIBILITY_ALWAYS_ON \
    DISPLAY="$display" QT_QPA_PLATFORM=xcb "$bin" "$device" "$records" "$downloads" \
    "${SHOT:-}"
[[ -n ${NO_A11Y:-} ]] && exit 0 # NO_A11Y=1: the first run only
echo "== on X with the accessibility bridge (at-spi bus)"
# The bus launcher is started by hand: nothing else on this machine would.
DISPLAY="$display" QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
    dbus-run-session -- bash -c '/usr/libexec/at-spi-bus-launcher --launch-immediately &
        sleep 1; "$@"; kill %1' bench "$bin" "$device" "$records" "$downloads"
