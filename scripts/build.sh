#!/usr/bin/env bash
# Configures and builds Plinkora: scripts/build.sh BUILD_DIR [extra cmake arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-"$root/build"}
shift || true
generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
if [[ ! -f "$build_dir/CMakeCache.txt" ]]; then
    cmake -S "$root" -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
    cmake "$build_dir" "$@" >/dev/null
fi
cmake --build "$build_dir" -j "$(nproc)"
