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
# Work on a copy: calculating stores the results in the files.
work=build/run-example
rm -rf "$work"
mkdir -p "$work"
cp examples/*.cir examples/*.hyb "$work/"
echo "== kestrel calc $work/system.cir --mission 8760   (a system over three boards and a hybrid)"
"$kestrel" calc "$work/system.cir" --mission 8760
echo
echo "== kestrel show $work/power_supply.cir"
"$kestrel" show "$work/power_supply.cir"
