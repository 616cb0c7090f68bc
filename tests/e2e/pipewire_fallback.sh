#!/usr/bin/env bash
# usage: pipewire_fallback.sh PLINKORA
# Where PipeWire does not carry the sound, the built-in synthesizer plays through PulseAudio as
# before: with no PipeWire at all, and with a PipeWire beside PulseAudio that has no audio sink
# (as where it runs only for screen sharing). Exits 0 on success, 1 on a failure, 77 where
# PulseAudio, PipeWire or Xvfb cannot start.
set -u

plinkora=$(realpath "$1")
name=pipewire-fallback
source "$(dirname "$0")/common.sh"
source "$here/pipewire.sh"
on_pulseaudio() { pactl list clients 2>/dev/null | grep -q 'application.name = "Plinkora"'; }
# plays_on_pulseaudio WHEN: starts the program, plays A and looks for it among PulseAudio's
# clients.
plays_on_pulseaudio() {
    "$plinkora" >"$work/app/plinkora.log" 2>&1 &
    app=$! && pids+=("$app")
    window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "$1: no main window"
    xdotool windowfocus --sync "$window" keydown a sleep 0.3 keyup a
    wait_for $app 10 on_pulseaudio || fail "$1: the synthesizer is not on PulseAudio"
    echo "$1: the synthesizer plays through PulseAudio"
    close_program "$window" "$app"
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
cd "$work/app" || exit 1
use_test_soundfont

say "no PipeWire"
plays_on_pulseaudio "without PipeWire"

say "a PipeWire without sound beside PulseAudio"
start_pipewire bare
plays_on_pulseaudio "beside a PipeWire without an audio sink"
echo "PASS: without PipeWire's sound the synthesizer plays through PulseAudio"
