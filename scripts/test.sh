#!/usr/bin/env bash
# Installs what is needed, builds with warnings as errors, and runs every test with CTest; with
# QH_BUILD_BENCH=OFF it does not build the benchmarks (CI, for time).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh -DQH_WERROR=ON -DQH_BUILD_BENCH="${QH_BUILD_BENCH:-ON}"
cd "${QH_BUILD_DIR:-build}"
ctest --output-on-failure --timeout 600 -j "$(nproc)" "$@"
