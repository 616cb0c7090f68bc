#!/usr/bin/env bash
# The capture device as the window tests use it: installed by scripts/wine-midi-capture.sh, the
# MIDI mapper answers as "Plinkora test capture" and writes each message sent to it, whatever its
# kind, as one line.
#   midi_capture_test.sh MIDIMAP_DLL CAPTURE_CHECK_EXE
# Uses $WINEPREFIX where it is set (scripts/windows.sh --test makes one per run), else a prefix
# of its own.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dll=$1 check=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/plinkora-midi-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all LC_ALL=C.UTF-8
if [[ -z ${WINEPREFIX:-} ]]; then
    export WINEPREFIX=$work/prefix
    trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
fi
# A name with a space and letters beyond ASCII reaches the device whole.
capture="$work/captured é.txt"
"$root/scripts/wine-midi-capture.sh" "$WINEPREFIX" "$capture" "$dll" >/dev/null || exit 1
WINEDLLOVERRIDES=midimap=n wine "$check" || exit 1

expected=$'90 3c 7f\nc0 05\nf0 7e 7f 09 01 f7\nreset'
if [[ $(cat "$capture" 2>/dev/null) != "$expected" ]]; then
    echo "FAIL: the capture file holds:"
    cat "$capture" 2>/dev/null || echo "(no file)"
    echo "expected:"
    echo "$expected"
    exit 1
fi
echo "ok: the device wrote every message"
