#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format
# makes of it, and names the files. Fix with:
#   git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || bash scripts/install-deps.sh
mapfile -d '' files < <(git ls-files -z -- '*.cpp' '*.h')
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no C++ files tracked" >&2
    exit 1
fi
if clang-format --dry-run --Werror "${files[@]}" >/dev/null 2>&1; then
    echo "check-format: ${#files[@]} files match .clang-format ($(clang-format --version | head -n 1))"
    exit 0
fi
drift=()
for f in "${files[@]}"; do
    clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || drift+=("$f")
done
if [ ${#drift[@]} -gt 0 ]; then
    # Show what differs, then the list.
    clang-format --dry-run "${drift[@]}" 2>&1 | head -n 60 >&2
    printf 'check-format: %d of %d files drift from .clang-format:\n' "${#drift[@]}" "${#files[@]}" >&2
    printf '  %s\n' "${drift[@]}" >&2
    exit 1
fi
# The run over all files failed, yet no file drifts on its own: clang-format
# itself is in trouble (a file it cannot read, a bad .clang-format).
clang-format --dry-run --Werror "${files[@]}" >/dev/null
echo "check-format: clang-format failed" >&2
exit 1
