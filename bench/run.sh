#!/usr/bin/env bash
# Runs every benchmark of a Release build: bench/run.sh build/release
set -euo pipefail
build="${1:-build/release}"
for b in "$build"/bench/bench_*; do
  echo "== $(basename "$b")"
  "$b" --benchmark_min_time=0.2
done
echo "== load"
"$(dirname "$0")/load_bench.sh" "$build"
echo "== save"
"$(dirname "$0")/save_bench.sh" "$build"
