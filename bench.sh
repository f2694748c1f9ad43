#!/usr/bin/env bash
# Builds in release mode and runs the benchmarks.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc 2>/dev/null || echo 2)"
for b in build-bench/bench/*_bench; do
  "$b" "$@"
done
