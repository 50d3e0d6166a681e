#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs the tests
# there: those without windows (labels core, replay, script), where every datagram, file and key is
# read and where the child program and the presenter also run as processes; with --all, the tests
# of real windows and browsers too (some minutes more: CI leaves them to the plain run).
# Leaks are not reported (Qt keeps caches until the process ends), nor a new/delete size mismatch
# that Qt WebEngine's own Chromium code shows when a page is released.
set -euo pipefail
cd "$(dirname "$0")/.."
window_tests=OFF
labels='core|replay|script'
if [ "${1:-}" = --all ]; then
    window_tests=ON
    labels='.'
    shift
fi
bash scripts/install-deps.sh
QH_BUILD_DIR=build-asan bash scripts/build.sh -DQH_SANITIZE=ON -DQH_WERROR=ON -DQH_BUILD_BENCH=OFF \
    -DQH_BUILD_WINDOW_TESTS="$window_tests"
cd build-asan
ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j "$(nproc)" -L "$labels" "$@"
