#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and runs every test.
# Leaks are not reported (Qt keeps caches until the process ends), nor a new/delete size mismatch
# that Qt WebEngine's own Chromium code shows when a page is released.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
QH_BUILD_DIR=build-asan bash scripts/build.sh -DQH_SANITIZE=ON -DQH_WERROR=ON -DQH_BUILD_BENCH=OFF
cd build-asan
ASAN_OPTIONS=detect_leaks=0:new_delete_type_mismatch=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
