#!/usr/bin/env bash
# Runs a command on a Windows desktop of its own under Wine, for the tests of Windows windows:
#   wine_desktop.sh [--midimap DLL] COMMAND [ARGS...]
# It starts a virtual X display and openbox on it (Wine's windows get keys only under a window
# manager), makes a fresh Wine prefix with the MIDI capture device as the MIDI mapper, runs
# COMMAND there and ends every Wine process, the window manager and the display afterwards.
# COMMAND finds in its environment:
#   DISPLAY, WINEPREFIX, WINEDEBUG   where and how it runs; `wine PROGRAM` needs no more
#   WINEDLLOVERRIDES=midimap=n       so a program's MIDI mapper is the capture device
#   MIDI_CAPTURE                     the file the device writes each message to, one a line
#   WINE_DESKTOP_WORK                a folder of the run's own, for files and screenshots
# DLL is the capture device (default: build-windows/tests/windows/midi_capture/midimap.dll).
# Ends with COMMAND's status; 77 (skipped) where the display or the window manager cannot start.
# KEEP_WORK=1 keeps the run's folder, prefix and all, for a look afterwards.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
midimap=$root/build-windows/tests/windows/midi_capture/midimap.dll
if [[ ${1:-} == --midimap ]]; then
    midimap=$2
    shift 2
fi
if [[ $# -eq 0 ]]; then
    echo "usage: $0 [--midimap DLL] COMMAND [ARGS...]" >&2
    exit 2
fi

name=wine-desktop
source "$root/tests/e2e/common.sh"
keep_work=${KEEP_WORK:-0}
# Wine's processes go before the display they draw on; `wineserver -k` ends them all, windows
# left open by a failed test too.
on_exit() { [[ -d ${WINEPREFIX:-/nonexistent} ]] && wineserver -k 2>/dev/null && wineserver -w; }

use_private_home
start_xvfb
command -v openbox >/dev/null || skip "openbox is not installed: Wine's windows get no keys"
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; }
wait_for $! 10 wm_running || skip "openbox did not start: $(tail -n 3 "$work/openbox.log")"

export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8
# Neither Mono nor Gecko: a prefix would offer to download them, in a window nobody answers.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >"$work/wineboot.log" 2>&1 ||
    fail "wineboot could not make the prefix"
export MIDI_CAPTURE=$work/midi.txt WINE_DESKTOP_WORK=$work WINEDLLOVERRIDES=midimap=n
"$root/scripts/wine-midi-capture.sh" "$WINEPREFIX" "$MIDI_CAPTURE" "$midimap" >/dev/null ||
    fail "the MIDI capture device could not be installed"

"$@"
