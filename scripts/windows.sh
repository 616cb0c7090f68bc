#!/usr/bin/env bash
# Cross-builds the core library, plinkora-convert.exe and the core tests for 64-bit Windows with
# MinGW-w64, and with --test runs those tests under Wine in a prefix made for the run:
#   scripts/windows.sh [--test] [BUILD_DIR] [extra cmake arguments]     (default build-windows/)
# -DPLINKORA_LINUX_CONVERT=PATH names a Linux plinkora-convert whose files and messages the
# Windows one must match. The Windows program itself, a native front end over the same core,
# is still to come: Qt for Windows cannot be had here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
test=false
if [[ ${1:-} == --test ]]; then
    test=true
    shift
fi
build_dir=${1:-"$root/build-windows"}
shift || true

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "MinGW-w64 is missing: scripts/install-deps.sh test installs it" >&2
    exit 1
fi
"$root/scripts/build.sh" "$build_dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "$@"
$test || exit 0

# A fresh prefix per run: nothing of an earlier run, or of the user's own Wine, takes part. Its
# server stays up between the test programs; started anew for each, it costs seconds each time.
export WINEPREFIX
WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/plinkora-wine.XXXXXX")
export WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null; rm -rf "$WINEPREFIX"' EXIT
wineserver -p
wineboot -i >/dev/null 2>&1
ctest --test-dir "$build_dir" --output-on-failure --no-tests=error -j "$(nproc)"
