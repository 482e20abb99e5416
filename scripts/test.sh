#!/usr/bin/env bash
# Builds everything with the sanitizers on and runs every test, in parallel.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVRA_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# A build that discovered no tests is a failure, not a pass.
ctest --test-dir "$build" --no-tests=error --output-on-failure --parallel "$(nproc)" --timeout 600 "$@"
