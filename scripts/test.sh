#!/usr/bin/env bash
# Builds everything under AddressSanitizer and UndefinedBehaviorSanitizer and
# runs every test. Installs missing Debian packages first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

build=${TRASVELO_TEST_BUILD:-build/test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTRASVELO_SANITIZE=ON
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"
