#!/usr/bin/env bash
# usage: accessibility.sh PLINKORA
# The real program on a virtual display with its own session bus and accessibility bus, read
# through AT-SPI as a screen reader reads it. Exits 0 on success, 1 on a failure, 77 only when
# the display or the buses cannot start. A11Y_KEEP=DIR keeps the tree and the events seen.
set -u

plinkora=$(realpath "$1")
name=a11y
source "$(dirname "$0")/common.sh"
on_exit() { [[ -n ${A11Y_KEEP:-} ]] && mkdir -p "$A11Y_KEEP" && cp "$work"/*.txt "$A11Y_KEEP"/ 2>/dev/null; }

for tool in xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

use_private_home
unset PULSE_SERVER AT_SPI_BUS_ADDRESS
start_xvfb

start_accessibility_bus

# Without PulseAudio the output cannot open: the warning is closed as a user would, and the
# program goes on closed.
start_null_sink
use_test_soundfont
cd "$work/app" || exit 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1 "$plinkora" >"$work/plinkora.log" 2>&1 &
app=$!
pids+=("$app")
main_window() { xdotool search --name '^Plinkora - \[' >/dev/null 2>&1; }
warning() { xdotool search --onlyvisible --name '^Plinkora$' 2>/dev/null | tail -n 1 | grep .; }
for _ in $(seq 100); do
    main_window && break
    kill -0 "$app" 2>/dev/null || fail "the program ended at start-up"
    box=$(warning) && xdotool windowfocus --sync "$box" key Return
    sleep 0.2
done
main_window || fail "the main window did not show"

"$python" "$here/atspi_check.py" "$work/tree.txt" "$work/events.txt" || fail "see above"
