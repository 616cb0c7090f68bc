#!/usr/bin/env bash
# End to end: the real program on a virtual display, playing through its built-in synthesizer
# into a PulseAudio null sink whose monitor is recorded, driven by real key presses and clicks.
#
# usage: run.sh PLINKORA PLINKORA_CONVERT TIPS_TXT
#
# Exits 0 when everything checks out, 1 on a failure, 77 (skipped) only when PulseAudio or Xvfb
# cannot be started at all. E2E_SCREENSHOTS=DIR keeps pictures of each step there; E2E_KEEP=1
# keeps the work folder.
set -u

plinkora=$(realpath "$1")
convert=$(realpath "$2")
tips=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
python=python3
rate=44100
takes=5  # a busy machine can starve the sound of a take; one clean take is enough

work=$(mktemp -d "${TMPDIR:-/tmp}/plinkora-e2e.XXXXXX")
pids=()

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    [[ ${E2E_KEEP:-0} == 1 ]] && echo "work folder kept: $work" || rm -rf "$work"
}
trap cleanup EXIT

say() { echo "== $*"; }
skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*"
    for log in "$work"/xvfb.log "$work"/pulseaudio.log "$work"/app/plinkora.log; do
        [[ -s $log ]] && { echo "--- $log"; tail -n 20 "$log"; }
    done
    exit 1
}

for tool in xdotool parec pactl xset import "$python"; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
command -v Xvfb >/dev/null || skip "Xvfb is not installed: no display to run the window on"
command -v pulseaudio >/dev/null || skip "PulseAudio is not installed: no sound server to record"

# Every process of the test gets a private home, runtime folder and display.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/app" "$work/takes"
chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

start_display() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
    local server=$! i
    pids+=($server)
    exec 3>&-
    for i in $(seq 50); do
        [[ -s $work/display ]] || ! kill -0 $server 2>/dev/null && break
        sleep 0.2
    done
    [[ -s $work/display ]] || skip "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
    export DISPLAY=:$(head -n 1 "$work/display")
    xset r off  # held keys must not repeat
}

start_sound() {
    # norewinds: without it the monitor loses about two seconds when a stream starts.
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disallow-module-loading \
        -L module-native-protocol-unix -L "module-null-sink sink_name=testsink norewinds=1" \
        >"$work/pulseaudio.log" 2>&1 &
    local server=$! i
    pids+=($server)
    for i in $(seq 50); do
        pactl info >/dev/null 2>&1 || ! kill -0 $server 2>/dev/null && break
        sleep 0.2
    done
    pactl info >/dev/null 2>&1 ||
        skip "PulseAudio did not start: $(grep -v '^W:' "$work/pulseaudio.log" | tail -n 3)"
    pactl set-default-sink testsink
}

# Waits for a window whose title matches; prints its id.
wait_window() {
    local pattern=$1 seconds=$2 id i
    for i in $(seq $((seconds * 5))); do
        id=$(xdotool search --name "$pattern" 2>/dev/null | tail -n 1)
        [[ -n $id ]] && { echo "$id"; return 0; }
        kill -0 "$app" 2>/dev/null || return 1
        sleep 0.2
    done
    return 1
}

screenshot() {
    [[ -n ${E2E_SCREENSHOTS:-} ]] || return 0
    mkdir -p "$E2E_SCREENSHOTS"
    import -window root "$E2E_SCREENSHOTS/$1.png"
}

# Records the sink while the keys are held, then measures the note: take NAME HZ KEY...
take() {
    local name=$1 hz=$2 n recorder verdict
    shift 2
    for n in $(seq "$takes"); do
        $boost parec --latency-msec=20 -d testsink.monitor --format=s16le --rate=$rate \
            --channels=1 >"$work/takes/$name-$n.raw" &
        recorder=$!
        sleep 0.5
        xdotool keydown "$@"
        sleep 0.9
        xdotool keyup $(printf '%s\n' "$@" | tac)
        sleep 0.4
        kill "$recorder"
        wait "$recorder" 2>/dev/null
        "$python" "$here/pitch.py" "$work/takes/$name-$n.raw" $rate "$hz" >"$work/pitch"
        verdict=$?
        if ((verdict == 0)); then
            echo "$name: $(cat "$work/pitch")"
            return 0
        fi
        echo "$name, take $n: $(cat "$work/pitch")"
    done
    ((verdict == 2)) &&
        fail "$name: every take was starved; the machine is too busy for real-time sound"
    fail "$name did not sound at $hz Hz"
}

# Records the sink while a command starts a sound that then goes on by itself:
# listen NAME HZ SECONDS COMMAND...
listen() {
    local name=$1 hz=$2 seconds=$3 n recorder verdict
    shift 3
    for n in $(seq "$takes"); do
        $boost parec --latency-msec=20 -d testsink.monitor --format=s16le --rate=$rate \
            --channels=1 >"$work/takes/$name-$n.raw" &
        recorder=$!
        sleep 0.3
        "$@"
        sleep "$seconds"
        kill "$recorder"
        wait "$recorder" 2>/dev/null
        "$python" "$here/pitch.py" "$work/takes/$name-$n.raw" $rate "$hz" >"$work/pitch"
        verdict=$?
        if ((verdict == 0)); then
            echo "$name: $(cat "$work/pitch")"
            return 0
        fi
        echo "$name, take $n: $(cat "$work/pitch")"
    done
    ((verdict == 2)) &&
        fail "$name: every take was starved; the machine is too busy for real-time sound"
    fail "$name did not sound at $hz Hz"
}

click() {  # click WINDOW X Y
    xdotool mousemove --window "$1" "$2" "$3" click 1
    sleep 0.3
}

# The sound must not starve on a busy machine: raise the program and the recorder to the
# priority PulseAudio takes for itself, where that is allowed.
boost=
nice -n -11 true 2>/dev/null && boost="nice -n -11"

say "starting Xvfb and PulseAudio"
start_display
start_sound

say "starting $plinkora with the built-in synthesizer"
cd "$work/app" || exit 1
cp "$tips" tips.txt
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2  # small and quick to load
[[ -f $soundfont ]] && export PLINKORA_SOUNDFONT=$soundfont
$boost "$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$!
pids+=($app)

# A first start has no tips.log: the tip box opens before the main window shows.
tipbox=$(wait_window '^Tip of the Day$' 30) || fail "no tip box at the first start"
screenshot tip-box
xdotool windowfocus --sync "$tipbox" key Escape
window=$(wait_window '^Plinkora - \[Untitled\]$' 20) || fail "the main window did not show"
log=$(od -An -tx1 tips.log | tr -d ' \n')
[[ $log == 0100000001000000 ]] ||
    fail "closing the tip box should store 'show at start-up' and the next tip, not $log"
echo "tip box: shown at the first start, closed with Esc, tips.log now holds 1 and 1"

sleep 1
xdotool windowfocus --sync "$window"
screenshot main-window

say "playing keys"
take "A (1=C)" 261.63 a
take "Shift+A (1=C)" 523.25 shift a
xdotool key alt+d
sleep 0.3
take "A (1=D)" 293.66 a

say "recording through the transport buttons"
import -window "$window" -depth 8 ppm:"$work/window.ppm"
mapfile -t buttons < <("$python" "$here/find_buttons.py" "$work/window.ppm")
((${#buttons[@]} == 5)) || fail "the five transport buttons were not found on the window"
read -r record_x record_y <<<"${buttons[0]}"
read -r finish_x finish_y <<<"${buttons[1]}"
read -r play_x play_y <<<"${buttons[2]}"
click "$window" "$record_x" "$record_y"
xdotool keydown s
sleep 0.4
xdotool keyup s
sleep 0.2
click "$window" "$finish_x" "$finish_y"
screenshot recorded
listen "played back S (1=D)" 329.63 1.6 click "$window" "$play_x" "$play_y"
sleep 0.5

say "saving the performance"
document=$work/performance.plk
xdotool windowfocus --sync "$window" key alt+4
sleep 0.5
xdotool key s
sleep 1.5
screenshot save-dialog
xdotool key ctrl+a
xdotool type --delay 10 "$document"
xdotool key Return
for i in $(seq 25); do
    [[ -s $document ]] && break
    sleep 0.2
done
[[ -s $document ]] || fail "the performance was not saved"
# 104 bytes of header and chunks, 16 for each of the two events (press and release of S).
size=$(stat -c %s "$document")
((size == 136)) || fail "the saved performance has $size bytes, expected 136"
wait_window '^Plinkora - \[performance\.plk\]$' 5 >/dev/null ||
    fail "the title does not name the saved document"
echo "saved: $document, $size bytes"

say "converting it with plinkora-convert"
"$convert" "$document" "$work/performance.mid" || fail "plinkora-convert failed"
[[ $(head -c 4 "$work/performance.mid") == MThd ]] || fail "the converted file is no MIDI file"
echo "converted: $(stat -c %s "$work/performance.mid") bytes of Standard MIDI File"
"$convert" --info "$document"

say "closing the window"
"$python" "$here/close_window.py" "$window" || fail "could not ask the window to close"
for i in $(seq 50); do
    kill -0 "$app" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$app" 2>/dev/null && fail "the program did not end after its window was closed"
wait "$app"
status=$?
((status == 0)) || fail "the program ended with status $status"
echo "the program ended with status 0"
echo "PASS"
