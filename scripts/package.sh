#!/usr/bin/env bash
# Builds the Debian package build/plinkora_<version>_<arch>.deb: installs what is missing,
# builds the programs into build/ and packs them with CPack; checks the package with lintian
# where lintian is installed. Install it with: sudo apt-get install ./build/plinkora_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" package
"$root/scripts/build.sh" "$root/build" -DPLINKORA_BUILD_APP=ON -DPLINKORA_BUILD_TESTS=OFF
rm -f "$root"/build/plinkora_*.deb
(cd "$root/build" && cpack -G DEB)
package=$(ls "$root"/build/plinkora_*.deb)
if command -v lintian >/dev/null; then
    lintian --fail-on error "$package"
fi
echo "Built $package"
