#!/usr/bin/env bash
# usage: pipewire_synth.sh PLINKORA
# The built-in synthesizer on a private PipeWire as a desktop runs it (WirePlumber, the
# PulseAudio server, a null sink): it plays through a node of PipeWire's own API, not through
# the PulseAudio server; middle C sounds at its pitch; after a silence long enough for the node
# to go inactive, the first note is as prompt as a note in a row; while idle the node does not
# keep the graph running. Exits 0 on success, 1 on a failure, 77 where PipeWire or Xvfb cannot
# start.
set -u

plinkora=$(realpath "$1")
name=pipewire-synth
source "$(dirname "$0")/common.sh"
source "$here/pipewire.sh"

for tool in xdotool xset parec python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
use_private_home
unset PULSE_SERVER
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=plinkora-no-jack-$$
start_xvfb
xset r off
start_pipewire

# record NAME RATE: the sink's monitor, until stop_recording.
record() {
    parec --latency-msec=20 -d testsink.monitor --format=s16le --rate="$2" --channels=1 \
        >"$work/$1.raw" 2>"$work/parec.log" &
    recorder=$!
    sleep 1
}
stop_recording() { sleep 1 && kill "$recorder" && wait "$recorder" 2>/dev/null; }

cd "$work/app" || exit 1
use_test_soundfont
"$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")
window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "no main window"
xdotool windowfocus --sync "$window"

say "the synthesizer's node"
wait_for $app 10 plinkora_node >/dev/null || fail "the synthesizer has no node in the graph"
node_is native || fail "the synthesizer came through $(plinkora_node), not PipeWire's own API"
echo "the synthesizer plays through a node of its own on PipeWire's API"

say "middle C"
record middle-c 44100
xdotool keydown a sleep 0.9 keyup a
stop_recording
python3 "$here/pitch.py" "$work/middle-c.raw" 44100 261.63 || fail "middle C is not heard at its pitch"

say "idle"
sleep 5
state=$(pw-dump | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    info = o.get("info") or {}
    if o.get("type", "").endswith(":Node") and (info.get("props") or {}).get("application.name") == "Plinkora":
        print(info.get("state"))')
[[ $state != running ]] || fail "the idle synthesizer keeps the graph running"
echo "idle, the node is $state"

say "the first note after a silence"
record first-note 48000
python3 "$here/first_note.py" press "$work/presses" || fail "could not type the notes"
stop_recording
python3 "$here/first_note.py" check "$work/first-note.raw" 48000 "$work/presses" ||
    fail "the first note after the silence came late"

close_program "$window" "$app"
echo "PASS: the synthesizer plays on PipeWire's own API, at its pitch and on time after a silence"
