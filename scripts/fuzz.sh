#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer and runs each
# for a bounded time: scripts/fuzz.sh [seconds per target, default 60].
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C build-fuzz
mkdir -p fuzz-out/settings
build-fuzz/fuzz_settingsfile -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=fuzz-out/ fuzz-out/settings fuzz/corpus/settings
mkdir -p fuzz-out/calls
build-fuzz/fuzz_calldatagram -max_total_time="$seconds" -max_len=64 -print_final_stats=1 \
    -artifact_prefix=fuzz-out/ fuzz-out/calls fuzz/corpus/calls
mkdir -p fuzz-out/urllist
build-fuzz/fuzz_urllist -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix=fuzz-out/ fuzz-out/urllist fuzz/corpus/urllist
