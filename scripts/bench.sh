#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their figures: the fan-out of a page to 30 children
# against a bare sendto loop, the presenter's start-up time, idle CPU use and peak memory, its CPU
# use with 30 children reporting, the handling of bursts of calls, page changes to children with
# slow names, the child program's end-to-end time, memory and idle CPU, children catching up with
# a lesson, and the lesson editor on the largest list with its check.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build="${QH_BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
# Qt WebEngine refuses to start its sandbox as root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
"$build/bench/bench_fanout" 2>/dev/null
"$build/bench/bench_process" "$build/master/Quillharbour_Master" 2>/dev/null
"$build/bench/bench_reports" "$build/master/Quillharbour_Master" 2>/dev/null
"$build/bench/bench_calls" 2>/dev/null
"$build/bench/bench_calls" --paced 2>/dev/null
"$build/bench/bench_names" 2>/dev/null
"$build/bench/bench_child" 2>/dev/null
"$build/bench/bench_catchup" 2>/dev/null
"$build/bench/bench_lesson" 2>/dev/null
