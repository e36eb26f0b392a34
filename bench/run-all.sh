#!/usr/bin/env bash
# Runs every benchmark against its peer and prints the ratios. On demand only, never in CI.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -DTALLYRUNE_BENCH=ON >/dev/null && cmake --build "$build" || exit 1
echo "== start-up"; python3 bench/startup/run.py "$build"
for script in bench/*/run.sh; do
    [[ -x "$script" ]] || continue
    echo "== $(basename "$(dirname "$script")")"
    "$script" "$build"
done
