#!/usr/bin/env bash
# Installs what is missing, builds Plinkora and starts it. Arguments go to the program (a .plk
# document to open).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" build
"$root/scripts/build.sh" "$root/build"
# The tips live beside the program; Plinkora reads them from its working directory.
cd "$root/build"
exec "$root/build/shell/plinkora" "$@"
