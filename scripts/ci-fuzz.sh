#!/usr/bin/env bash
# Builds the .plk document fuzzer with clang (ASan + UBSan) in its own build folder and runs it
# on the seed corpus for a while. Exits non-zero when it finds anything.
#   scripts/ci-fuzz.sh [BUILD_DIR]      FUZZ_SECONDS=60 by default
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# The build folder lives in the checkout, like the others: a shared one in /tmp would hold
# another checkout's CMake cache and refuse to configure.
build="${1:-$src/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

cmake -S "$src" -B "$build" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPLINKORA_BUILD_FUZZ=ON -DPLINKORA_SANITIZE=address,undefined \
    -DPLINKORA_BUILD_APP=OFF -DPLINKORA_BUILD_TESTS=OFF -DPLINKORA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target load_document_fuzzer -j2

# New inputs go to the work corpus; the seeds in the source tree stay as they are.
corpus="$build/fuzz-corpus"
findings="$build/fuzz-findings"
log="$build/fuzz.log"
rm -rf "$findings"
mkdir -p "$corpus" "$findings"

set +e
"$build/tests/fuzz/load_document_fuzzer" \
    -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -dict="$src/tests/fuzz/plk.dict" -artifact_prefix="$findings/" \
    "$corpus" "$src/tests/fuzz/corpus" >"$log" 2>&1
status=$?
set -e

tail -n 25 "$log"
executions="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
found="$(find "$findings" -type f | wc -l)"
echo "fuzz LoadDocument: ${executions:-0} executions in ${seconds} s, ${found} finding(s)," \
     "exit status ${status}"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "fuzzing found a fault: inputs in $findings, log in $log" >&2
    exit 1
fi
