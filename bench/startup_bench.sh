#!/usr/bin/env bash
# Start-up benchmark of the real program: time from launch to the first window on screen, and
# resident memory after 5 s idle with the small SoundFont. Prints the median of several runs.
#
# Usage: bench/startup_bench.sh [path/to/plinkora] [runs]
# Needs Xvfb and xdotool; starts its own X server and, when pulseaudio is installed, its own
# sound server with a null sink, so that the built-in synthesizer opens as on a desktop.
set -euo pipefail

binary=${1:-build/shell/plinkora}
runs=${2:-5}
idle_seconds=5
export PLINKORA_SOUNDFONT=${PLINKORA_SOUNDFONT:-/usr/share/sounds/sf2/TimGM6mb.sf2}

if [[ ! -x $binary ]]; then
    echo "no program at $binary (give its path as the first argument)" >&2
    exit 1
fi
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 1; }
done

work=$(mktemp -d)
started=()
cleanup() {
    for pid in "${started[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display number nobody uses.
display=90
while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -noreset >/dev/null 2>&1 &
started+=($!)
export DISPLAY=":$display"
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.05
done

if command -v pulseaudio >/dev/null; then
    export PULSE_RUNTIME_PATH="$work/pulse"
    mkdir -p "$PULSE_RUNTIME_PATH"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=benchsink norewinds=1" \
        -L "module-native-protocol-unix socket=$PULSE_RUNTIME_PATH/native auth-anonymous=1" \
        >/dev/null 2>&1 &
    started+=($!)
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    for _ in $(seq 100); do
        [[ -S $PULSE_RUNTIME_PATH/native ]] && break
        sleep 0.05
    done
else
    echo "pulseaudio not installed: the synthesizer has no output and a warning box opens" >&2
fi

now_ns() { date +%s%N; }

median() {
    sort -n | awk '{ v[NR] = $1 }
        END { m = int((NR + 1) / 2); print (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'
}

launch_ms=()
main_ms=()
rss_mb=()
for run in $(seq "$runs"); do
    t0=$(now_ns)
    "$binary" >"$work/run$run.log" 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "run $run: the program ended before showing a window" >&2
            cat "$work/run$run.log" >&2
            exit 1
        fi
        sleep 0.002
    done
    t1=$(now_ns)
    # The splash comes first; the main window follows it.
    until xdotool search --onlyvisible --pid "$pid" --name '^Plinkora - \[' >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.005
    done
    t2=$(now_ns)
    sleep "$idle_seconds"
    rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    launch_ms+=("$(( (t1 - t0) / 1000000 ))")
    main_ms+=("$(( (t2 - t0) / 1000000 ))")
    rss_mb+=("$(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }')")
    echo "run $run: first window after ${launch_ms[-1]} ms, main window after" \
        "${main_ms[-1]} ms, ${rss_mb[-1]} MB resident"
done

echo "median time to first window: $(printf '%s\n' "${launch_ms[@]}" | median) ms (goal < 250)"
echo "median time to the main window: $(printf '%s\n' "${main_ms[@]}" | median) ms"
echo "median resident after ${idle_seconds} s idle:" \
    "$(printf '%s\n' "${rss_mb[@]}" | median) MB (goal < 80)"
