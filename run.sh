#!/usr/bin/env bash
# Installs what is missing, builds Kestrel, then runs the main job on the
# bundled example. Arguments, if any, are passed to `kestrel` instead.
set -euo pipefail
cd "$(dirname "$0")"

./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target kestrel >/dev/null

kestrel=build/src/cli/kestrel
if [ $# -gt 0 ]; then
  exec "$kestrel" "$@"
fi

"$kestrel" --help
echo
echo "== kestrel demo: the basic calculation of a built-in sample circuit"
"$kestrel" demo
