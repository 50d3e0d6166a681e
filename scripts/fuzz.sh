#!/usr/bin/env bash
# Builds the libFuzzer targets with AddressSanitizer and UndefinedBehaviorSanitizer and runs each
# for a bounded time: scripts/fuzz.sh [seconds per target, default 60].
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
bash scripts/install-deps.sh
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C build-fuzz
# fuzz TARGET CORPUS MAX_LEN: new finds go to fuzz-out/CORPUS, crashes to fuzz-out/.
fuzz() {
    mkdir -p "fuzz-out/$2"
    "build-fuzz/$1" -max_total_time="$seconds" -max_len="$3" -print_final_stats=1 \
        -artifact_prefix=fuzz-out/ "fuzz-out/$2" "fuzz/corpus/$2"
}
fuzz fuzz_settingsfile settings 4096
fuzz fuzz_calldatagram calls 512
fuzz fuzz_childdatagram childdatagrams 2048
fuzz fuzz_pagerule pagerule 1024
fuzz fuzz_urllist urllist 4096
fuzz fuzz_registrystore registry 4096
fuzz fuzz_helpfile helpfile 8192
