#!/usr/bin/env bash
# Installs the tests' MIDI capture device into a Wine prefix: every MIDI message a program sends
# to the MIDI mapper is then written to FILE, one line each ("90 3c 7f").
#   scripts/wine-midi-capture.sh PREFIX FILE [MIDIMAP_DLL]
# MIDIMAP_DLL is the device as the Windows build makes it (default:
# build-windows/tests/windows/midi_capture/midimap.dll, built by scripts/windows.sh). A prefix that does not
# exist yet is made. Wine loads the device only when told to, with WINEDLLOVERRIDES=midimap=n;
# without it the prefix's own MIDI mapper answers, as before.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ $# -lt 2 || $# -gt 3 ]]; then
    echo "usage: $0 PREFIX FILE [MIDIMAP_DLL]" >&2
    exit 2
fi
prefix=$(realpath -m "$1")
file=$(realpath -m "$2")
dll=${3:-"$root/build-windows/tests/windows/midi_capture/midimap.dll"}
if [[ ! -f $dll ]]; then
    echo "$dll is missing: scripts/windows.sh builds it" >&2
    exit 1
fi
if [[ ! -d $(dirname "$file") ]]; then
    echo "no folder $(dirname "$file") to write $file in" >&2
    exit 1
fi

system32=$prefix/drive_c/windows/system32
if [[ ! -d $system32 ]]; then
    echo "Making the Wine prefix $prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all wineboot -i >/dev/null 2>&1
fi
# The device reads the file's Windows name beside itself. Drive Z: is the whole file system in
# a prefix as Wine makes it; elsewhere Wine itself is asked.
if [[ $(readlink "$prefix/dosdevices/z:" 2>/dev/null) == / ]]; then
    windows_name=Z:${file//\//\\}
else
    windows_name=$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$file")
fi
cp "$dll" "$system32/midimap.dll"
printf '%s\n' "$windows_name" >"$system32/midimap-capture.txt"

cat <<INFO
The MIDI capture device is in $prefix; it writes to $file.
Run a program with it as the MIDI mapper:
  WINEPREFIX=$prefix WINEDLLOVERRIDES=midimap=n wine PROGRAM.exe
INFO
