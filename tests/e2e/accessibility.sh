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

python=
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import pyatspi' 2>/dev/null; then python=$candidate && break; fi
done
[[ -n $python ]] || skip "python3-pyatspi is not installed"
launcher=
for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
    [[ -x $candidate ]] && launcher=$candidate && break
done
[[ -n $launcher ]] || skip "at-spi2-core is not installed: no accessibility bus"
for tool in dbus-daemon xdotool; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

use_private_home
unset PULSE_SERVER AT_SPI_BUS_ADDRESS
start_xvfb

dbus-daemon --session --nofork --nosyslog --print-address=3 3>"$work/bus" \
    >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_for $! 10 test -s "$work/bus" || skip "the session bus did not start"
DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
export DBUS_SESSION_BUS_ADDRESS
"$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
launcher_pid=$!
atspi_up() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1
}
wait_for $launcher_pid 10 atspi_up || skip "the accessibility bus did not start"

# A null sink gives the built-in synthesizer somewhere to play. Without PulseAudio the output
# cannot open: the warning is closed as a user would, and the program goes on closed.
if command -v pulseaudio >/dev/null; then
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
        -L module-native-protocol-unix -L "module-null-sink sink_name=testsink" \
        >"$work/pulseaudio.log" 2>&1 &
    pids+=($!)
    wait_for $! 10 pactl info >/dev/null 2>&1 || echo "PulseAudio did not start: the output stays closed"
fi
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
