#!/usr/bin/env bash
# Installs what is missing, builds Plinkora and runs every test:
#   0. the code's formatting
#   1. the normal build: core, window and scripted tests (converter, MIDI read-back, end to end)
#   2. the core tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   3. the playback scheduler's tests under ThreadSanitizer
#   4. the core, the converter and their tests cross-built for Windows and run under Wine, the
#      converter's files and messages compared with the Linux one's
#   5. a short fuzzing run of the document reader
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" test || exit 1

passed=0
failed=0
failures=()
step() {
    local name=$1
    shift
    echo
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        failures+=("$name")
    fi
}

export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"

normal=$root/build
asan=$root/build-asan
tsan=$root/build-tsan
windows=$root/build-windows
fuzz=$root/build-fuzz

step "code follows .clang-format" "$root/scripts/check-format.sh"
# Options are given in full: scripts/run.sh builds the same folder without its tests.
step "normal build" "$root/scripts/build.sh" "$normal" \
    -DPLINKORA_BUILD_APP=ON -DPLINKORA_BUILD_TESTS=ON -DPLINKORA_BUILD_BENCH=ON
step "all tests" ctest --test-dir "$normal" --output-on-failure --no-tests=error -j 2
step "sanitizer build (address, undefined)" "$root/scripts/build.sh" "$asan" \
    -DPLINKORA_SANITIZE=address,undefined -DPLINKORA_BUILD_APP=OFF -DPLINKORA_BUILD_BENCH=OFF
step "core tests (address, undefined)" ctest --test-dir "$asan" --output-on-failure \
    --no-tests=error -j 2 -L core
step "sanitizer build (thread)" "$root/scripts/build.sh" "$tsan" \
    -DPLINKORA_SANITIZE=thread -DPLINKORA_BUILD_APP=OFF -DPLINKORA_BUILD_BENCH=OFF
step "scheduler tests (thread)" ctest --test-dir "$tsan" --output-on-failure --no-tests=error \
    -R "Scheduler|Playback"
step "Windows build, its tests under Wine" "$root/scripts/windows.sh" --test "$windows" \
    -DPLINKORA_LINUX_CONVERT="$normal/tools/plinkora-convert"
if [[ -x "$root/scripts/ci-fuzz.sh" ]]; then
    step "fuzzing the document reader" "$root/scripts/ci-fuzz.sh" "$fuzz"
fi

echo
for name in "${failures[@]}"; do
    echo "FAILED: $name"
done
echo "Steps: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
