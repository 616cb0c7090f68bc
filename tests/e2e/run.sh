#!/usr/bin/env bash
# usage: run.sh PLINKORA PLINKORA_CONVERT TIPS_TXT
# The real program on a virtual display, playing through its built-in synthesizer into a
# PulseAudio null sink whose monitor is recorded, driven by real key presses and clicks. Exits 0
# on success, 1 on a failure, 77 only when PulseAudio or Xvfb cannot start. E2E_SCREENSHOTS=DIR
# keeps pictures of each step; E2E_KEEP=1 keeps the work folder.
set -u

plinkora=$(realpath "$1") convert=$(realpath "$2") tips=$(realpath "$3")
name=e2e
source "$(dirname "$0")/common.sh"
keep_work=${E2E_KEEP:-0}
screenshot() { [[ -z ${E2E_SCREENSHOTS:-} ]] || import -window root "$E2E_SCREENSHOTS/$1.png"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1 sleep 0.3; }  # click X Y
hold() { xdotool keydown "$@" sleep 0.9 keyup $(printf '%s\n' "$@" | tac); }  # hold KEY...

# take NAME HZ SECONDS COMMAND...: records the sink while COMMAND starts a note and for SECONDS
# after, and checks its pitch. Plinkora's audio thread takes real-time priority, so a starved
# take is its fault, unless the server's own protocol thread could not be raised likewise: a busy
# machine then starves the server, and another take is allowed (one clean take of five).
take() {
    local name=$1 hz=$2 seconds=$3 n recorder verdict
    for n in 1 2 3 4 5; do
        $boost parec --latency-msec=20 -d testsink.monitor --format=s16le --rate=44100 \
            --channels=1 >"$work/takes/$name-$n.raw" &
        recorder=$!
        sleep 0.5
        "${@:4}"
        sleep "$seconds"
        kill "$recorder"
        wait "$recorder" 2>/dev/null
        python3 "$here/pitch.py" "$work/takes/$name-$n.raw" 44100 "$hz" >"$work/pitch"
        verdict=$?
        ((verdict == 0)) && { echo "$name: $(cat "$work/pitch")"; return 0; }
        echo "$name, take $n: $(cat "$work/pitch")"
        ((verdict == 2 && !server_realtime)) || break
        echo "  the sound server, without real-time priority here, was starved: another take"
    done
    ((verdict == 2 && server_realtime)) &&
        fail "$name: Plinkora's sound was starved while the server ran at real-time priority"
    ((verdict == 2)) && fail "$name: every take was starved; the machine is too busy for sound"
    fail "$name did not sound at $hz Hz"
}

for tool in xdotool parec pactl xset import python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
command -v pulseaudio >/dev/null || skip "PulseAudio is not installed: no sound server to record"
[[ -z ${E2E_SCREENSHOTS:-} ]] || mkdir -p "$E2E_SCREENSHOTS"

use_private_home
mkdir -p "$work/takes"
unset PULSE_SERVER
# The sound must not starve on a busy machine: raise the program and the recorder to the
# priority PulseAudio takes for itself, where that is allowed.
boost=
nice -n -11 true 2>/dev/null && boost="nice -n -11"

say "starting Xvfb and PulseAudio"
start_xvfb
xset r off  # held keys must not repeat
# norewinds: without it the monitor loses about two seconds when a stream starts.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disallow-module-loading \
    -L module-native-protocol-unix -L "module-null-sink sink_name=testsink norewinds=1" \
    >"$work/pulseaudio.log" 2>&1 &
pids+=($!)
wait_for $! 10 pactl info >/dev/null 2>&1 ||
    skip "PulseAudio did not start: $(grep -v '^W:' "$work/pulseaudio.log" | tail -n 3)"
pactl set-default-sink testsink
# The server's main thread carries every client's sound to its real-time thread, but runs at
# ordinary priority: raised where that is allowed, a starved take can only be Plinkora's fault.
server_realtime=0
chrt -f -p 3 "${pids[-1]}" 2>/dev/null && server_realtime=1
echo "sound server's protocol thread at real-time priority: $( ((server_realtime)) && echo yes || echo no)"

say "starting $plinkora with the built-in synthesizer"
cd "$work/app" || exit 1
cp "$tips" tips.txt
use_test_soundfont
$boost "$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")

# A first start has no tips.log: the tip box opens before the main window shows.
tipbox=$(wait_for $app 30 window_named '^Tip of the Day$') || fail "no tip box at the first start"
screenshot tip-box
xdotool windowfocus --sync "$tipbox" key Escape
window=$(wait_for $app 20 window_named '^Plinkora - \[Untitled\]$') ||
    fail "the main window did not show"
log=$(od -An -tx1 tips.log | tr -d ' \n')
[[ $log == 0100000001000000 ]] ||
    fail "closing the tip box should store 'show at start-up' and the next tip, not $log"
echo "tip box: shown at the first start, closed with Esc, tips.log now holds 1 and 1"
sleep 1
xdotool windowfocus --sync "$window"
screenshot main-window

say "playing keys"
take "A (1=C)" 261.63 0.4 hold a
take "Shift+A (1=C)" 523.25 0.4 hold shift a
xdotool key alt+d sleep 0.3
take "A (1=D)" 293.66 0.4 hold a

say "recording through the transport buttons"
import -window "$window" -depth 8 ppm:"$work/window.ppm"
mapfile -t buttons < <(python3 "$here/find_buttons.py" "$work/window.ppm")
((${#buttons[@]} == 5)) || fail "the five transport buttons were not found on the window"
# Record, Finish, Play, Circle play, End Play; each "x y".
click ${buttons[0]}
xdotool keydown s sleep 0.4 keyup s sleep 0.2
click ${buttons[1]}
screenshot recorded
take "played back S (1=D)" 329.63 1.6 click ${buttons[2]}
sleep 0.5

say "saving the performance"
document=$work/performance.plk
xdotool windowfocus --sync "$window" key alt+4 sleep 0.5 key s sleep 1.5
screenshot save-dialog
xdotool key ctrl+a type --delay 10 "$document"
xdotool key Return
wait_for $app 5 test -s "$document" || fail "the performance was not saved"
# 104 bytes of header and chunks, 16 for each of the two events (press and release of S).
size=$(stat -c %s "$document")
((size == 136)) || fail "the saved performance has $size bytes, expected 136"
wait_for $app 5 window_named '^Plinkora - \[performance\.plk\]$' >/dev/null ||
    fail "the title does not name the saved document"
echo "saved: $document, $size bytes"

say "converting it with plinkora-convert"
"$convert" "$document" "$work/performance.mid" || fail "plinkora-convert failed"
[[ $(head -c 4 "$work/performance.mid") == MThd ]] || fail "the converted file is no MIDI file"
echo "converted: $(stat -c %s "$work/performance.mid") bytes of Standard MIDI File"
"$convert" --info "$document"

say "closing the window"
close_program "$window" "$app"
echo "PASS: the program ended with status 0"
