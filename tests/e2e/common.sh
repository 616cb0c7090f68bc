# Sourced by the end-to-end scripts: a private work folder, home and runtime folder, the
# processes started for the test (stopped at exit), a virtual display, and the small helpers
# every script uses. The script sets `name` (the work folder's prefix) before sourcing this.
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/plinkora-$name.XXXXXX")
pids=()
keep_work=0  # 1 keeps the work folder for a look afterwards; on_exit, if defined, runs first

cleanup() {
    local pid
    declare -F on_exit >/dev/null && on_exit
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    ((keep_work)) && echo "work folder kept: $work" || rm -rf "$work"
}
trap cleanup EXIT

say() { echo "== $*"; }
skip() { echo "SKIP: $*" && exit 77; }
# fail MESSAGE: says why, shows the end of every log of the work folder, and exits 1.
fail() {
    local log
    echo "FAIL: $*"
    for log in "$work"/*.log "$work"/app/*.log; do
        [[ -s $log ]] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

# wait_for PID SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds (0), the time is
# up or process PID has ended (1).
wait_for() {
    local pid=$1 i
    for i in $(seq $(($2 * 5))); do
        "${@:3}" && return 0
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}
# window_named PATTERN: the newest shown window whose title matches.
window_named() { xdotool search --onlyvisible --name "$1" 2>/dev/null | tail -n 1 | grep .; }

# Every process of the test gets a private home, runtime folder and display.
use_private_home() {
    export HOME=$work/home XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
    mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/app"
    chmod 700 "$XDG_RUNTIME_DIR"
    unset WAYLAND_DISPLAY
}
# start_xvfb: a virtual screen of its own; skips the test where Xvfb cannot start.
start_xvfb() {
    command -v Xvfb >/dev/null || skip "Xvfb is not installed: no display to run the window on"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" \
        >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for $! 10 test -s "$work/display" || skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
    export DISPLAY=:$(head -n 1 "$work/display")
}
# start_accessibility_bus: a session bus and an accessibility bus of their own, as a desktop
# session has them; sets $python to a Python that reads AT-SPI. Skips the test where they
# cannot start.
start_accessibility_bus() {
    local candidate launcher= launcher_pid
    python=
    for candidate in /usr/bin/python3 python3; do
        if "$candidate" -c 'import pyatspi' 2>/dev/null; then python=$candidate && break; fi
    done
    [[ -n $python ]] || skip "python3-pyatspi is not installed"
    for candidate in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
        [[ -x $candidate ]] && launcher=$candidate && break
    done
    [[ -n $launcher ]] || skip "at-spi2-core is not installed: no accessibility bus"
    command -v dbus-daemon >/dev/null || skip "dbus-daemon is not installed"
    unset AT_SPI_BUS_ADDRESS
    dbus-daemon --session --nofork --nosyslog --print-address=3 3>"$work/bus" \
        >"$work/dbus.log" 2>&1 &
    pids+=($!)
    wait_for $! 10 test -s "$work/bus" || skip "the session bus did not start"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS
    "$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
    pids+=($!)
    launcher_pid=$!
    wait_for $launcher_pid 10 atspi_up || skip "the accessibility bus did not start"
}
atspi_up() {
    dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
        >/dev/null 2>&1
}
# start_null_sink: a PulseAudio server of its own with a null sink, for the built-in
# synthesizer to play into; where it cannot start, the program warns and goes on closed.
start_null_sink() {
    command -v pulseaudio >/dev/null || return 0
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
        -L module-native-protocol-unix -L "module-null-sink sink_name=testsink" \
        >"$work/pulseaudio.log" 2>&1 &
    pids+=($!)
    wait_for $! 10 pactl info >/dev/null 2>&1 || echo "PulseAudio did not start: the output stays closed"
}
# start_pulseaudio: a PulseAudio server of its own with a null sink, as the test's sound server;
# sets pulse to its PID, to freeze or end it; skips the test where it cannot start.
start_pulseaudio() {
    command -v pulseaudio >/dev/null || skip "PulseAudio is not installed"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disallow-module-loading \
        -L module-native-protocol-unix -L "module-null-sink sink_name=testsink norewinds=1" \
        >"$work/pulseaudio.log" 2>&1 &
    pulse=$! && pids+=("$pulse")
    wait_for $pulse 10 pactl info >/dev/null 2>&1 || skip "PulseAudio did not start"
}
# use_test_soundfont: the small SoundFont loads quickly.
use_test_soundfont() {
    local soundfont=${PLINKORA_TEST_SOUNDFONT:-/usr/share/sounds/sf2/TimGM6mb.sf2}
    [[ -f $soundfont ]] && export PLINKORA_SOUNDFONT=$soundfont
    return 0
}
# close_program WINDOW PID: closes the window as a user does; the program must end with 0.
close_program() {
    python3 "$here/close_window.py" "$1" || fail "could not ask the window to close"
    timeout 10 tail --pid="$2" -f /dev/null || fail "the program did not end after its window closed"
    wait "$2" || fail "the program ended with status $?"
}
# answer WHAT KEYS: types KEYS (xdotool's names, such as alt+s) on $window and checks that the
# window shows them within answer_limit_ms, as one whose thread never waits on a sound server
# does. The figure is printed; a window that shows nothing for 10 s fails at once.
answer_limit_ms=500
answer() {
    local ms
    ms=$(python3 "$here/answer_time.py" "$window" "$2" 10) || fail "$1: the window showed nothing for 10 s"
    echo "$1: the window answered in $ms ms"
    ((ms <= answer_limit_ms)) || fail "$1: the window took $ms ms to answer"
}
# warnings_shown: how many warning boxes ("Plinkora") are on the screen.
warnings_shown() { xdotool search --onlyvisible --name '^Plinkora$' 2>/dev/null | wc -l; }
