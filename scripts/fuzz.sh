#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, build-fuzz/) and runs each one for SECONDS
# (60 unless given). A crash, a sanitizer report, a leak or a failed check
# ends that target's run with an error; the script then fails, naming the
# targets that did and where their failing inputs were kept.
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
bash scripts/install-deps.sh
cmake --preset fuzz
cmake --build --preset fuzz -j"$(nproc)"

root=$PWD
work=$root/build-fuzz/fuzz-runs
mkdir -p "$work"
# No allocation stacks while fuzzing: recording one per allocation took close
# to half the time of the faster targets. To see them for a finding, run its
# kept input again: ASAN_OPTIONS=malloc_context_size=30 PROGRAM INPUT
export ASAN_OPTIONS=malloc_context_size=0:detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
export QT_QPA_PLATFORM=offscreen

failed=()
ran=0
while read -r name program seeds dict; do
    [ -n "$name" ] || continue
    if [ $# -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    # New inputs grow a corpus in build-fuzz/; afterwards those that reach
    # code the kept corpus does not are merged into fuzz/corpus/<name>/
    # (committed), so each run starts where the last one got to.
    corpus=$work/$name/corpus
    kept=$root/fuzz/corpus/${name#fuzz_}
    mkdir -p "$corpus" "$kept" "$work/$name/crashes"
    args=(-max_total_time="$seconds" -timeout=30 -print_final_stats=1
          -artifact_prefix="$work/$name/crashes/")
    if [ "$dict" != - ]; then args+=(-dict="$dict"); fi
    folders=("$corpus" "$kept")
    if [ "$seeds" != - ] && [ "$seeds" != "$kept" ]; then folders+=("$seeds"); fi
    echo "== $name: ${seconds}s"
    if "$program" "${args[@]}" "${folders[@]}" >"$work/$name/log" 2>&1; then
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' \
            "$work/$name/log" || true
        "$program" -merge=1 "$kept" "$corpus" >>"$work/$name/log" 2>&1 || true
        echo "   corpus: $(find "$corpus" -type f | wc -l) inputs;" \
            "kept in fuzz/corpus/${name#fuzz_}: $(find "$kept" -type f | wc -l)"
    else
        tail -n 60 "$work/$name/log"
        echo "   FAILED; failing input kept in $work/$name/crashes/" >&2
        failed+=("$name")
    fi
    ran=$((ran + 1))
done <build-fuzz/fuzz/fuzzers.txt

if [ "$ran" -eq 0 ]; then
    echo "fuzz: no fuzz target ran" >&2
    exit 1
fi
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz: ${#failed[@]} of $ran targets failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: $ran targets ran ${seconds}s each without a finding"
