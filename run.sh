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
# Work on a copy: calculating stores the results in the file.
work=build/run-example
mkdir -p "$work"
cp examples/power_supply.cir "$work/"
echo "== kestrel calc $work/power_supply.cir"
"$kestrel" -q calc "$work/power_supply.cir"
echo
echo "== kestrel show $work/power_supply.cir"
"$kestrel" show "$work/power_supply.cir"
