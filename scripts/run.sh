#!/usr/bin/env bash
# Installs what is missing, builds Plinkora and starts it. Arguments go to the program (a .plk
# document to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
# The program alone: the tests need packages that only scripts/test.sh installs.
"$root/scripts/build.sh" "$root/build" -DPLINKORA_BUILD_APP=ON -DPLINKORA_BUILD_TESTS=OFF
# Plinkora reads tips.txt and keeps tips.log in the folder it starts in: the build folder.
cp -u "$root/resources/tips.txt" "$root/build/tips.txt"
# The program starts in the build folder: a document named relative to here must still be found.
if [[ $# -gt 0 && $1 != /* ]]; then
    set -- "$PWD/$1" "${@:2}"
fi
cd "$root/build"
exec "$root/build/shell/plinkora" "$@"
