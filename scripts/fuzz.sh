#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz (clang, ZOL_FUZZ=ON) in
# build/fuzz and runs each for the given number of seconds (default 10),
# printing one line per target.  Seeds come from tests/fuzz/corpus/<reader>/;
# the growing corpus stays in build/fuzz/corpus/<reader>/ and a crashing or
# failing input is kept in build/fuzz/artifacts/<reader>/ (commit it under
# tests/fuzz/regressions/<reader>/ once the fault is mended).
# Usage: scripts/fuzz.sh [seconds] [target-name ...]
set -u
secs=${1:-10}
shift || true
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
jobs=${ZOL_FUZZ_JOBS:-2}

mkdir -p "$build"  # a fresh checkout has no build folder yet
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZOL_FUZZ=ON -DZOL_SANITIZE=OFF -DZOL_BUILD_TESTS=OFF \
  -DZOL_BUILD_APPS=OFF "${launcher[@]}" >"$build.configure.log" 2>&1 ||
  { echo "configure failed: see $build.configure.log"; exit 2; }

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in "$root"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build "$build" -j"$jobs" --target "${targets[@]}" >"$build.build.log" 2>&1 ||
  { echo "build failed: see $build.build.log"; exit 2; }

failed=0
nfailed=0
for t in "${targets[@]}"; do
  reader=${t#fuzz_}
  corpus="$build/corpus/$reader"
  artifacts="$build/artifacts/$reader"
  mkdir -p "$corpus" "$artifacts"
  seeds=()
  [ -d "$root/tests/fuzz/corpus/$reader" ] && seeds=("$root/tests/fuzz/corpus/$reader")
  log="$build/logs/$reader.log"
  mkdir -p "$build/logs"
  ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
    "$build/fuzz/$t" -max_total_time="$secs" -timeout=20 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*')
  if [ $rc -eq 0 ]; then
    printf '%-28s ok      %8s runs  cov %6s\n' "$t" "${runs:-?}" "${cov:-?}"
  else
    failed=1
    nfailed=$((nfailed + 1))
    art=$(ls -t "$artifacts" 2>/dev/null | head -1)
    printf '%-28s FAILED  %8s runs  input %s  log %s\n' "$t" "${runs:-?}" "$artifacts/$art" "$log"
  fi
done
echo "fuzz targets: $((${#targets[@]} - nfailed)) ok, $nfailed failing (${secs} s each)"
exit $failed
