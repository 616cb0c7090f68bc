#!/usr/bin/env bash
# usage: frozen_pulse.sh PLINKORA
# A PulseAudio server that stops answering without going away (SIGSTOP, as a hung server does)
# under the real program with its built-in synthesizer: start-up, closing and opening must
# never hold the window, nor fall back to ALSA's way into the same server. An opening the
# server does not answer counts as a lost device, shown with one warning; once the server
# answers again the device comes back by itself and its warning goes. Exits 0 on success, 1 on
# a failure, 77 only where PulseAudio or Xvfb cannot start.
set -u

plinkora=$(realpath "$1")
name=frozen-pulse
source "$(dirname "$0")/common.sh"
freeze() { kill -STOP "$pulse" && echo "-- the PulseAudio server is frozen"; }
thaw() { kill -CONT "$pulse" && echo "-- the PulseAudio server answers again"; }
on_exit() { [[ -n ${pulse:-} ]] && kill -CONT "$pulse" 2>/dev/null; }
no_warning() { (($(warnings_shown) == 0)); }
one_warning() {
    wait_for $app 6 window_named '^Plinkora$' >/dev/null || fail "$1: no warning"
    (($(warnings_shown) == 1)) || fail "$1: $(warnings_shown) warnings at once"
    echo "$1: the device shows closed, with one warning"
}
# The synthesizer as a client of the server: its own stream, not ALSA's plug-in into the same
# server, which would never tell when the server goes.
connected() {
    pactl list clients 2>/dev/null | grep -q 'application.name = "Plinkora"' &&
        ! pactl list clients 2>/dev/null | grep -q 'ALSA plug-in'
}
back() {
    thaw
    wait_for $app 10 no_warning || fail "$1: the warning stayed after the server came back"
    xdotool windowfocus --sync "$window" keydown a sleep 0.3 keyup a
    wait_for $app 5 connected || fail "$1: no sound after the server came back"
    echo "$1: the device is back by itself, its warning went, and A plays"
}

for tool in xdotool xset pactl python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done

use_private_home
unset PULSE_SERVER
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=plinkora-no-jack-$$
start_xvfb
xset r off
start_pulseaudio

say "starting $plinkora while the server is frozen"
cd "$work/app" || exit 1
use_test_soundfont
freeze
started=$(date +%s%N)
"$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")
window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "no main window"
echo "the window showed $((($(date +%s%N) - started) / 1000000)) ms after the start"
xdotool windowfocus --sync "$window"
answer "a key signature at start-up" alt+d
one_warning "the start-up opening the server did not answer"
back "after a frozen start-up"

say "closing and opening on a frozen server"
freeze
answer "Alt+S" alt+s
answer "Alt+O" alt+o
one_warning "the opening the server did not answer"
back "after a frozen opening"

say "quitting"
close_program "$window" "$app"
echo "PASS: the window never waited on the frozen PulseAudio server"
