#!/usr/bin/env bash
# Checks the layers, sets up, builds (Debug with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/check-layers.sh
bash scripts/install-deps.sh
build=${ZANVORO_TEST_BUILD:-build/asan}
jobs=$(nproc)
# Line tables are all a sanitizer's report needs; full debug information
# would only make the build slower.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZANVORO_SANITIZE=ON \
  -DZANVORO_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
cmake --build "$build" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build" --output-on-failure -j "$jobs" --timeout 300
