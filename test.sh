#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest: the
# normal build, then the AddressSanitizer + UndefinedBehaviorSanitizer build.
# Slow stress runs carry the ctest label "slow"; a short bounded slice of
# them runs here (KESTREL_SLOW=1 runs them in full, and the libFuzzer runs).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
# Checkouts in other folders of this machine share the compiler cache: paths
# are hashed relative to the checkout.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
export QT_QPA_PLATFORM=offscreen

build() {  # build <dir> [--target T] <cmake args...>
  local dir=$1 target=()
  shift
  if [ "${1:-}" = --target ]; then target=(--target "$2"); shift 2; fi
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTREL_FAST_TEST_BUILD=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs" "${target[@]}"
}

run_tests() {  # run_tests <dir>
  local exclude=()
  [ "${KESTREL_SLOW:-0}" = 1 ] || exclude=(-LE slow)
  ctest --test-dir "$1" -j "$jobs" --output-on-failure --timeout 600 "${exclude[@]}"
}

echo "== build and test (at ${SECONDS}s)"
build build -DKESTREL_SANITIZE=OFF "-DCMAKE_CXX_FLAGS_RELEASE=-O2"
run_tests build

# The desktop windows are thin over the libraries checked here; their own
# tests run in the build above, which keeps this build inside the CI budget.
echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer (at ${SECONDS}s)"
build build-asan -DKESTREL_SANITIZE=ON -DKESTREL_BENCH=OFF -DKESTREL_GUI=OFF "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -g1"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_tests build-asan

# Every fuzz target runs above as a bounded mutation test (label "fuzz").
# The coverage-guided libFuzzer runs need their own clang build; they run
# with KESTREL_SLOW=1 or KESTREL_FUZZ=1 (KESTREL_FUZZ_SECONDS: seconds each).
if [ "${KESTREL_SLOW:-0}" = 1 ] || [ "${KESTREL_FUZZ:-0}" = 1 ]; then
  if command -v clang++-16 >/dev/null; then
    echo "== libFuzzer targets (at ${SECONDS}s)"
    CXX=clang++-16 build build-fuzz --target fuzz_all -DKESTREL_FUZZ=ON -DKESTREL_TESTS=OFF -DKESTREL_BENCH=OFF "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -g1"
    ./scripts/fuzz.sh build-fuzz "${KESTREL_FUZZ_SECONDS:-60}"
  fi
fi
echo "== done in ${SECONDS}s"
