#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time each.
# usage: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
dir=${1:?build dir}
seconds=${2:-20}
status=0
for target in "$dir"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$dir/fuzz-corpus/$name"
  mkdir -p "$corpus"
  # Each target starts from its seeds (those of the mutation tests).
  if [ "$name" = fuzz_document ] || [ "$name" = fuzz_part_objects ]; then
    cp -n examples/*.cir examples/*.hyb "$corpus"/ 2>/dev/null || true
  fi
  if [ -d "fuzz/seeds/$name" ]; then
    cp -n "fuzz/seeds/$name"/* "$corpus"/ 2>/dev/null || true
  fi
  echo "fuzz: $name for ${seconds}s"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=0 \
      -artifact_prefix="$dir/fuzz-crash-$name-" "$corpus" >"$dir/$name.log" 2>&1; then
    echo "fuzz: $name found a problem:" >&2
    tail -n 40 "$dir/$name.log" >&2
    status=1
  fi
done
exit $status
