#!/usr/bin/env bash
# Installs what is missing, builds Plinkora and starts it. Arguments go to the program (a .plk
# document to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh" "$root/build"
# Plinkora reads tips.txt and keeps tips.log in the folder it starts in: the build folder.
cp -u "$root/resources/tips.txt" "$root/build/tips.txt"
cd "$root/build"
exec "$root/build/shell/plinkora" "$@"
