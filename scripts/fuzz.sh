#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer and runs each
# for a bounded time: scripts/fuzz.sh [seconds per target, default 60].
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C build-fuzz
# Each target of fuzz/targets.cmake, as the build lists it: name, corpus folder, input bound. New
# finds go to fuzz-out/<corpus folder's name>, crashes to fuzz-out/.
while read -r target corpus max_len; do
    out="fuzz-out/$(basename "$corpus")"
    mkdir -p "$out"
    "build-fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" -print_final_stats=1 \
        -artifact_prefix=fuzz-out/ "$out" "$corpus" </dev/null
done <build-fuzz/fuzz-targets.txt
