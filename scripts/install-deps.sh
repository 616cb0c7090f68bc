#!/usr/bin/env bash
# Installs the Debian packages Plinkora needs that are missing: "build" for building and
# running the program, "test" for that plus everything the test suite uses (the Windows build
# too: MinGW-w64, GoogleTest's sources, Wine to run it, NSIS for its installer, Free Pascal's
# chmcmd (fp-utils) for its help file, openbox for its window under Xvfb), "package" for
# building plus what making the Debian package takes.
set -euo pipefail

build_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libqt6svg6 libxkbcommon-x11-dev
    qt6-wayland libwayland-dev qt6-base-private-dev
    libfluidsynth-dev librtmidi-dev libpulse-dev libjack-jackd2-dev libpipewire-0.3-dev
    libdbus-1-dev
    timgm6mb-soundfont fonts-liberation2
)
test_packages=(
    git libgtest-dev libgmock-dev
    python3 python3-mido
    clang libclang-rt-14-dev clang-format
    xvfb xdotool x11-xserver-utils x11-utils xauth
    pulseaudio pulseaudio-utils jackd2
    pipewire pipewire-bin pipewire-pulse wireplumber rtkit
    imagemagick
    dbus at-spi2-core python3-pyatspi
    sway xwayland grim
    g++-mingw-w64-x86-64-posix googletest wine wine64 nsis openbox fp-utils
)
# dpkg-shlibdeps finds the package's dependencies for CPack.
package_packages=(dpkg-dev file)

packages=("${build_packages[@]}")
case "${1:-build}" in
    test) packages+=("${test_packages[@]}") ;;
    package) packages+=("${package_packages[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi

sudo=()
if [[ $(id -u) -ne 0 ]]; then
    sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 \
    "${missing[@]}"
