#!/usr/bin/env bash
# usage: bench/sound_path.sh PLINKORA [RECORDER]
# The built-in synthesizer's sound path as a user meets it: the real program on a private Xvfb
# display, playing into a private sound server's null sink (48 kHz, no rewinds) whose monitor is
# recorded. SOUND_PATH_SERVER chooses the server: "pulse" (PulseAudio, the default) or
# "pipewire" (PipeWire with WirePlumber and its PulseAudio server, as a desktop runs it; the
# monitor is then recorded through PipeWire's own API, on the graph's clock, so that the
# recorder does not set the graph's quantum). Prints the idle cost of the program and of the
# server, the stream's buffer as the server reports it (on PipeWire also the latency the
# program's node asks for, the quantum the graph ran at, and whether the idle program keeps the
# graph running), dropouts in held notes (idle, then beside two busy loops) and key-to-sound
# times from an XTEST key press to the first audible sample at the sink. About 3 minutes;
# SOUND_PATH_PARTS="dropouts" (or any of "idle dropouts latency") measures only those;
# SOUND_PATH_OTHER_STREAM=1 has another program play a silent stream (20 ms of latency, as a
# music player asks) on the same server while the keys are timed.
set -u
parts=${SOUND_PATH_PARTS:-idle dropouts latency}
server_kind=${SOUND_PATH_SERVER:-pulse}
part() { [[ " $parts " == *" $1 "* ]]; }
plinkora=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
case $server_kind in
    pulse) recorder_name=monitor_recorder ;;
    pipewire) recorder_name=pipewire_recorder ;;
    *) echo "sound_path: SOUND_PATH_SERVER is pulse or pipewire" >&2 && exit 2 ;;
esac
recorder=$(realpath "${2:-$(dirname "$plinkora")/../bench/$recorder_name}")
work=$(mktemp -d "${TMPDIR:-/tmp}/sound-path.XXXXXX")
pids=()
busy=()
cleanup() {
    local pid
    for pid in "${busy[@]}" "${pids[@]}"; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
die() { echo "sound_path: $*" >&2; exit 1; }

export HOME=$work/home XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" "$work/app" && chmod 700 "$XDG_RUNTIME_DIR"
unset PULSE_SERVER WAYLAND_DISPLAY

# ticks PID: user + system clock ticks the process has used so far
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# cpu_share PID...: the share of one core each process uses over 10 s
cpu_share() {
    local pid before=() i=0
    for pid in "$@"; do before+=("$(ticks "$pid")"); done
    sleep 10
    for pid in "$@"; do
        awk -v t="$(ticks "$pid")" -v b="${before[i]}" -v hz="$(getconf CLK_TCK)" \
            'BEGIN { printf "%.1f\n", (t - b) / 10 / hz * 100 }'
        i=$((i + 1))
    done
}
record() {  # record NAME PLAN: the monitor while the keys of PLAN are pressed
    local source=testsink.monitor
    [[ $server_kind == pipewire ]] && source=testsink
    "$recorder" "$source" "$work/$1.raw" "$work/$1.timing" &
    local rec=$!
    sleep 1
    python3 "$here/sound_path.py" press "$2" "$work/$1.presses"
    sleep 1.5
    kill "$rec" && wait "$rec"
    python3 "$here/sound_path.py" analyse "$work/$1.raw" "$work/$1.timing" "$work/$1.presses"
}

Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.2; done
export DISPLAY=:$(head -n 1 "$work/display")
xset r off
start_pulse() {
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --disallow-module-loading \
        -L module-native-protocol-unix \
        -L "module-null-sink sink_name=testsink rate=48000 norewinds=1" >"$work/pulse.log" 2>&1 &
    server=$!
    pids+=($server)
    servers=($server)
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
}
# PipeWire as a desktop session runs it: the graph, WirePlumber on a D-Bus session bus of its
# own, and the PulseAudio server; the null sink made through the latter, as a user would.
start_pipewire() {
    local bus
    bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1) ||
        die "no D-Bus session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 <<<"$bus")
    pids+=($(tail -n 1 <<<"$bus"))
    pipewire >"$work/pipewire.log" 2>&1 &
    server=$!
    pids+=($server)
    for _ in $(seq 50); do [[ -S $XDG_RUNTIME_DIR/pipewire-0 ]] && break; sleep 0.1; done
    wireplumber >"$work/wireplumber.log" 2>&1 &
    pids+=($!)
    pipewire-pulse >"$work/pipewire-pulse.log" 2>&1 &
    pids+=($!)
    servers=($server $!)
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.2; done
    pactl load-module module-null-sink sink_name=testsink \
        'sink_properties=audio.rate=48000' >/dev/null
    for _ in $(seq 25); do pactl list short sinks | grep -q testsink && break; sleep 0.2; done
}
# node_field NAME FIELD: a field of the node whose name (or application name) is NAME in pw-dump.
node_field() {
    pw-dump 2>/dev/null | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    info = o.get("info") or {}
    props = info.get("props") or {}
    if o.get("type", "").endswith(":Node") and sys.argv[1] in (
            props.get("node.name"), props.get("application.name")):
        value = {"state": info.get("state")}.get(sys.argv[2], props.get(sys.argv[2]))
        print(value if value is not None else "none")
        break' "$1" "$2"
}
start_$server_kind
# SOUND_PATH_SERVER_RT=1 puts the server's main thread, which carries every client's sound to
# its real-time thread, at real-time priority too: it shows whether the server starves.
[[ ${SOUND_PATH_SERVER_RT:-0} == 1 ]] && chrt -f -p 3 $server

echo "sound path of $plinkora ($(date -u +%H:%MZ), load $(cut -d' ' -f1-3 /proc/loadavg))"
echo "  server: $server_kind ($(pactl info | sed -n 's/^Server Name: //p'))"
part idle && echo "  server idle without any client: $(cpu_share "${servers[@]}" | paste -sd+)% of a core"

cd "$work/app" || exit 1
printf '\0\0\0\0\1\0\0\0' >tips.log  # no tip box at start-up
PLINKORA_SOUNDFONT=/usr/share/sounds/sf2/TimGM6mb.sf2 "$plinkora" >"$work/plinkora.log" 2>&1 &
app=$!
pids+=($app)
for _ in $(seq 100); do
    window=$(xdotool search --name '^Plinkora - ' 2>/dev/null | tail -n 1) && [[ -n $window ]] && break
    sleep 0.2
done
[[ -n ${window:-} ]] || die "the window did not show"
xdotool windowfocus --sync "$window"
sleep 5
if part idle; then
    mapfile -t shares < <(cpu_share $app "${servers[@]}")
    app_cpu=${shares[0]}
    server_cpu=$(IFS=+ && echo "${shares[*]:1}")
    echo "  idle, window open and focused: Plinkora $app_cpu%, server $server_cpu% of a core"
    if [[ $server_kind == pipewire ]]; then
        echo "  idle nodes: Plinkora's $(node_field Plinkora state), the sink's $(node_field testsink state)"
    fi
fi

python3 "$here/sound_path.py" press held /dev/null >/dev/null &
sleep 0.5
echo "  stream as the server reports it: $(pactl list sink-inputs |
    grep -E 'Buffer Latency|Sink Latency' | tr -s ' \t' ' ' | paste -sd',')"
if [[ $server_kind == pipewire ]]; then
    echo "  Plinkora's node: asks node.latency $(node_field Plinkora node.latency)," \
        "client.api $(node_field Plinkora client.api)"
fi
wait $!
sleep 4

if part dropouts; then
    echo " machine idle:"
    record idle held
    echo " two busy loops beside it:"
    for _ in 1 2; do (while :; do :; done) & busy+=($!); done
    record busy held
    kill "${busy[@]}" && wait "${busy[@]}" 2>/dev/null
    busy=()
fi
if part latency; then
    echo " key to sound:"
    if [[ ${SOUND_PATH_OTHER_STREAM:-0} == 1 ]]; then
        pacat --raw --latency-msec=20 --client-name=other-player /dev/zero &
        pids+=($!)
        echo "  beside another program's stream (silent, 20 ms of latency)"
    fi
    sleep 5
    record latency latency
fi
