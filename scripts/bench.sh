#!/usr/bin/env bash
# Builds the release configuration with the benchmarks, runs every benchmark
# (arguments go to each of them, e.g. --benchmark_repetitions=3), times the
# clustering against SciPy when python3 with scipy is there, and ends with one
# table of all ratios against the reference libraries.  The JSON results stay
# in $ZOL_BENCH_OUT_DIR (default build/bench/results).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --bench
BUILD=${ZOL_BENCH_BUILD_DIR:-build/bench}
OUT=${ZOL_BENCH_OUT_DIR:-$BUILD/results}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOL_BUILD_TESTS=OFF -DZOL_BUILD_BENCH=ON
cmake --build "$BUILD" -j"$(nproc)"
mkdir -p "$OUT"
status=0
for b in "$BUILD"/bin/bench_*; do
  name=$(basename "$b")
  echo "== $name"
  if ! "$b" --benchmark_out="$OUT/$name.json" --benchmark_out_format=json "$@"; then
    echo "$name failed" >&2
    status=1
  fi
done
# SciPy's times need python3 with numpy and scipy (Debian's python3, not necessarily the first on PATH).
PY=""
for p in /usr/bin/python3 python3; do
  if command -v "$p" >/dev/null 2>&1 && "$p" -c 'import numpy, scipy' 2>/dev/null; then
    PY=$p
    break
  fi
done
rm -f "$OUT/cluster_scipy.json"
if [ -n "$PY" ]; then
  echo "== clustering and distances against SciPy"
  "$PY" bench/ref/cluster_scipy.py --bench "$BUILD/bin/bench_cluster" --json "$OUT/cluster_scipy.json" || status=1
else
  echo "python3 with scipy not found: clustering not compared" >&2
fi
python3 bench/ref/ratio_table.py "$OUT" || /usr/bin/python3 bench/ref/ratio_table.py "$OUT"
exit $status
