#!/usr/bin/env bash
# Fails when an include between the folders of src/ points up a layer.
# Lowest first: core < status, logs, config < link, editors < protocol < sim < app.
set -euo pipefail
cd "$(dirname "$0")/.."
rank() {
    case "$1" in
    core) echo 0 ;; status | logs | config) echo 1 ;; link | editors) echo 2 ;;
    protocol) echo 3 ;; sim) echo 4 ;; app) echo 5 ;; *) echo -1 ;;
    esac
}
bad=0
for f in src/*/*.cpp src/*/*.h; do
    from=$(echo "$f" | cut -d/ -f2)
    rf=$(rank "$from")
    for to in $(grep -oE '^#include "[a-z]+/' "$f" | sed -E 's/#include "([a-z]+)\//\1/' | sort -u); do
        rt=$(rank "$to")
        # Folders of one rank (status, logs, config; link, editors) do not
        # include each other.
        if [ "$rt" -gt "$rf" ] || { [ "$rt" -eq "$rf" ] && [ "$to" != "$from" ]; }; then
            echo "layer violation: $f includes $to/"
            bad=1
        fi
    done
done
[ "$bad" -eq 0 ] && echo "layers: every include points down"
exit "$bad"
