#!/usr/bin/env bash
# Configures and builds the project into build/ (or $QH_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${QH_BUILD_DIR:-build}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QH_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
ninja -C "$build"
