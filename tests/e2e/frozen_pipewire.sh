#!/usr/bin/env bash
# usage: frozen_pipewire.sh PLINKORA
# A PipeWire daemon that stops answering without going away (SIGSTOP) under the real program
# with its built-in synthesizer: start-up, closing and opening never hold the window, nor fall
# back to PipeWire's PulseAudio server, which would wait on the same daemon. An opening the
# daemon does not answer counts as a lost device, shown with one warning; once it answers again
# the device comes back by itself on a node of its own. Freezing it while the synthesizer plays
# holds nothing either; its going away shows as a lost device that comes back with it. Exits 0 on success, 1 on a failure, 77 where PipeWire or Xvfb cannot
# start.
set -u

plinkora=$(realpath "$1")
name=frozen-pipewire
source "$(dirname "$0")/common.sh"
source "$here/pipewire.sh"
freeze() { kill -STOP "$pipewire" && echo "-- PipeWire is frozen"; }
thaw() { kill -CONT "$pipewire" && echo "-- PipeWire answers again"; }
on_exit() { [[ -n ${pipewire:-} ]] && kill -CONT "$pipewire" 2>/dev/null; }
no_warning() { (($(warnings_shown) == 0)); }
one_warning() {
    wait_for $app 6 window_named '^Plinkora$' >/dev/null || fail "$1: no warning"
    (($(warnings_shown) == 1)) || fail "$1: $(warnings_shown) warnings at once"
    echo "$1: the device shows closed, with one warning"
}
native() { node_is native; }
back() {
    thaw
    wait_for $app 10 no_warning || fail "$1: the warning stayed after PipeWire came back"
    xdotool windowfocus --sync "$window" keydown a sleep 0.3 keyup a
    wait_for $app 5 native || fail "$1: no node of the synthesizer after PipeWire came back"
    echo "$1: the device is back by itself on its own node, its warning went"
}

for tool in xdotool xset python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
use_private_home
unset PULSE_SERVER
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=plinkora-no-jack-$$
start_xvfb
xset r off
start_pipewire

say "starting $plinkora while PipeWire is frozen"
cd "$work/app" || exit 1
use_test_soundfont
freeze
"$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")
window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "no main window"
xdotool windowfocus --sync "$window"
answer "a key signature at start-up" alt+d
one_warning "the start-up opening PipeWire did not answer"
back "after a frozen start-up"

say "freezing PipeWire while the synthesizer plays"
xdotool keydown a
freeze
answer "a key signature while frozen" alt+f
xdotool keyup a
answer "Alt+S" alt+s
answer "Alt+O" alt+o
one_warning "the opening PipeWire did not answer"
back "after a frozen opening"

say "PipeWire going away while the synthesizer plays"
kill "${pipewire_session[@]}" "$pipewire" && wait "${pipewire_session[@]}" "$pipewire" 2>/dev/null
one_warning "PipeWire went away"
start_pipewire
back "after PipeWire came back"

say "quitting while PipeWire is frozen"
freeze
started=$(date +%s%N)
close_program "$window" "$app"
echo "the program ended $((($(date +%s%N) - started) / 1000000)) ms after its window was asked to close"
echo "PASS: the window never waited on the frozen PipeWire"
