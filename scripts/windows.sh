#!/usr/bin/env bash
# Cross-builds Plinkora for 64-bit Windows with MinGW-w64: the program (win32/plinkora.exe),
# plinkora-convert.exe and the tests, then the installer and the portable zip:
#   BUILD_DIR/Plinkora-<version>-setup.exe, BUILD_DIR/Plinkora-<version>-windows.zip
# With --test it runs the tests under Wine, in a prefix made for the run (the window and
# installer tests make their own, on a virtual display):
#   scripts/windows.sh [--test] [BUILD_DIR] [extra cmake arguments]     (default build-windows/)
# -DPLINKORA_LINUX_CONVERT=PATH names a Linux plinkora-convert whose files and messages the
# Windows one must match.
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
# The packages exist where the program and makensis do (configuring says which is missing).
if grep -q "/plinkora_packages.dir$" "$build_dir/CMakeFiles/TargetDirectories.txt"; then
    cmake --build "$build_dir" --target plinkora_packages -j "$(nproc)"
fi
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
