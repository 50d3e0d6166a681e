#!/usr/bin/env bash
# Builds and runs the benchmarks and prints their figures: the fan-out of a page to 30 children
# against a bare sendto loop, and signed with the teacher's key against plain, the presenter's
# start-up against a bare view's, its idle CPU use and peak memory, its CPU use with 30 children
# reporting, the handling of bursts of calls, page changes to children with slow names, the child
# program's end-to-end time, memory and idle CPU, our class against a bare class of bare views,
# children catching up with a lesson (without and with the teacher's key), children following the
# teacher's place on the page, the class view's cost, the lesson editor on the largest list with its
# check, and a compressed school day of 2 000 page changes (about a quarter of an hour on a quiet
# machine). The run ends with its goals side by side, and the machine's load: figures taken while
# other work keeps the cores busy say little.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
build="${QH_BUILD_DIR:-build}"
export QT_QPA_PLATFORM=offscreen QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
# Qt WebEngine refuses to start its sandbox as root.
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
run() { "$@" 2>/dev/null | tee -a "$log"; }
load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
run "$build/bench/bench_fanout"
run "$build/bench/bench_process" "$build/bin/Quillharbour_Master"
run "$build/bench/bench_reports" "$build/bin/Quillharbour_Master"
run "$build/bench/bench_calls"
run "$build/bench/bench_calls" --paced
run "$build/bench/bench_names"
run "$build/bench/bench_child"
run "$build/bench/bench_class"
run "$build/bench/bench_catchup"
run "$build/bench/bench_catchup" 8 --keys
run "$build/bench/bench_place"
run "$build/bench/bench_classview"
run "$build/bench/bench_lesson"
run "$build/bench/bench_day"
echo
echo "Goals (load average $load_before at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end, on $(nproc) cores):"
grep '^goal: ' "$log" | sed 's/^goal: /  /'
