#!/usr/bin/env bash
# Builds the release configuration with the benchmarks and runs them all.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
BUILD=${ZOL_BENCH_BUILD_DIR:-build/bench}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOL_BUILD_TESTS=OFF -DZOL_BUILD_BENCH=ON
cmake --build "$BUILD" -j"$(nproc)"
for b in "$BUILD"/bin/bench_*; do "$b" "$@"; done
