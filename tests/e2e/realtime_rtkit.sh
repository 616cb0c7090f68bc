#!/usr/bin/env bash
# usage: realtime_rtkit.sh PLINKORA POLKIT_GRANTS
# On an ordinary account (nobody, RLIMIT_RTPRIO 0), with rtkit on the system bus as desktops
# run it, the thread that renders the synthesizer's sound runs at real-time priority: PipeWire's
# data thread, and on PulseAudio the stream's mainloop thread. The system bus is one of the
# test's own, with polkit_grants saying yes for the desktop session this machine lacks. Exits 0
# on success, 1 on a failure, 77 where rtkit, PipeWire, PulseAudio or Xvfb cannot start.
set -u

plinkora=$(realpath "$1")
polkit_grants=$(realpath "$2")
name=realtime-rtkit
source "$(dirname "$0")/common.sh"

for tool in xdotool xset pactl python3 setpriv prlimit dbus-daemon; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
rtkit=/usr/libexec/rtkit-daemon
[[ -x $rtkit ]] || skip "rtkit is not installed"
((EUID == 0)) || skip "rtkit and an account of nobody's need root to stage"

# The account: nobody's home and runtime folder inside the work folder.
chmod 711 "$work"
export HOME=$work/home XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chown nobody "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY PULSE_SERVER
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=plinkora-no-jack-$$
use_test_soundfont
# A command line that runs its command as nobody without RLIMIT_RTPRIO; each step execs the
# next, so a process started in the background keeps its PID.
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups prlimit --rtprio=0:0)

say "rtkit on a system bus of the test's own"
cat >"$work/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
bus=$(dbus-daemon --config-file="$work/system-bus.conf" --fork --nopidfile --print-address=1 \
    --print-pid=1) || skip "no system bus of our own"
export DBUS_SYSTEM_BUS_ADDRESS=$(head -n 1 <<<"$bus")
pids+=("$(tail -n 1 <<<"$bus")")
"$polkit_grants" &
pids+=($!)
# rtkit forbids itself to write files: its log goes nowhere.
"$rtkit" >/dev/null 2>&1 &
pids+=($!)
rtkit_answers() {
    dbus-send --system --print-reply --dest=org.freedesktop.RealtimeKit1 \
        /org/freedesktop/RealtimeKit1 org.freedesktop.DBus.Properties.Get \
        string:org.freedesktop.RealtimeKit1 string:MaxRealtimePriority >/dev/null 2>&1
}
wait_for $! 10 rtkit_answers || skip "rtkit did not start"

start_xvfb
xhost +si:localuser:nobody >/dev/null
xset r off

# rendering_thread NAME: the scheduling of Plinkora's thread called NAME, as "policy priority"
# (SCHED_FIFO is 1, SCHED_RR 2); fails while there is none.
rendering_thread() {
    local task
    for task in /proc/"$app"/task/*; do
        [[ $(cat "$task/comm" 2>/dev/null) == "$1"* ]] || continue
        awk '{print $41, $40}' "$task/stat"
        return 0
    done
    return 1
}
# plays_in_realtime SERVER THREAD: starts Plinkora as nobody, plays A, and checks that its
# THREAD runs at real-time priority.
plays_in_realtime() {
    local policy priority
    cd "$work/home" || exit 1
    "${as_nobody[@]}" "$plinkora" >"$work/plinkora-$1.log" 2>&1 &
    app=$! && pids+=("$app")
    window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "$1: no main window"
    xdotool windowfocus --sync "$window" keydown a sleep 0.5 keyup a
    sleep 1
    read -r policy priority < <(rendering_thread "$2") ||
        fail "$1: no thread $2 among $(cat /proc/"$app"/task/*/comm | sort -u | paste -sd,)"
    echo "$1: Plinkora's thread $2 runs with policy $policy, priority $priority"
    ((policy == 1 || policy == 2)) || fail "$1: the rendering thread is not at real-time priority"
    close_program "$window" "$app"
}

say "PipeWire"
command -v pipewire >/dev/null || skip "PipeWire is not installed"
session=$("${as_nobody[@]}" dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1) ||
    skip "no D-Bus session bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 <<<"$session")
pids+=("$(tail -n 1 <<<"$session")")
"${as_nobody[@]}" pipewire >"$work/pipewire.log" 2>&1 &
pipewire=$! && pids+=("$pipewire")
wait_for $pipewire 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || skip "PipeWire did not start"
"${as_nobody[@]}" wireplumber >"$work/wireplumber.log" 2>&1 &
pids+=($!)
"${as_nobody[@]}" pipewire-pulse >"$work/pipewire-pulse.log" 2>&1 &
pipewire_pulse=$! && pids+=("$pipewire_pulse")
wait_for $pipewire 20 "${as_nobody[@]}" pactl info >/dev/null 2>&1 || skip "PipeWire did not start"
"${as_nobody[@]}" pactl load-module module-null-sink sink_name=testsink >/dev/null || skip "no null sink"
plays_in_realtime PipeWire plinkora-sound

say "PulseAudio"
kill "$pipewire_pulse" "$pipewire" && wait "$pipewire_pulse" "$pipewire" 2>/dev/null
command -v pulseaudio >/dev/null || skip "PulseAudio is not installed"
"${as_nobody[@]}" pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit \
    --disallow-module-loading -L module-native-protocol-unix \
    -L "module-null-sink sink_name=testsink norewinds=1" >"$work/pulseaudio.log" 2>&1 &
pulse=$! && pids+=("$pulse")
wait_for $pulse 10 "${as_nobody[@]}" pactl info >/dev/null 2>&1 || skip "PulseAudio did not start"
plays_in_realtime PulseAudio threaded-ml
echo "PASS: without RLIMIT_RTPRIO, rtkit puts the rendering thread at real-time priority"
