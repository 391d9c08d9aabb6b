#!/usr/bin/env bash
# Installs what is missing, builds the suite with AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD=${ZOL_TEST_BUILD_DIR:-build/test}
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZOL_SANITIZE=ON \
      -DZOL_BUILD_TESTS=ON -DZOL_BUILD_APPS=OFF -DZOL_BUILD_BENCH=OFF
cmake --build "$BUILD" -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)" --timeout 600
# Coverage-guided fuzzing: every reader's harness (tests/fuzz) built with clang's
# libFuzzer and run for a few seconds; a crash, leak, hang or failed round trip
# fails the run (scripts/fuzz.sh names the input and the log).
ZOL_FUZZ_JOBS="$(nproc)" bash scripts/fuzz.sh "${ZOL_FUZZ_SECONDS:-5}"
# The installed suite: CMake package, pkg-config files, Debian package and the examples.
bash scripts/check-install.sh
