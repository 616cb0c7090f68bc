# Sourced after common.sh by the PipeWire scripts: a private PipeWire as a desktop runs it.

# start_pipewire [SESSION]: a D-Bus session bus of the test's own, the PipeWire daemon, and with
# SESSION "full" (the default) WirePlumber, PipeWire's PulseAudio server and a null sink named
# testsink made the default; with "bare", the daemon alone, which carries no sound (as where
# PipeWire runs only for screen sharing). Sets pipewire, and pipewire_session to the PIDs of
# WirePlumber and the PulseAudio server; skips the test where PipeWire cannot start.
start_pipewire() {
    local session=${1:-full} bus tool
    for tool in pipewire dbus-daemon; do
        command -v "$tool" >/dev/null || skip "$tool is not installed"
    done
    if [[ $session == full ]]; then
        for tool in wireplumber pipewire-pulse pw-dump pactl; do
            command -v "$tool" >/dev/null || skip "$tool is not installed"
        done
    fi
    bus=$(dbus-daemon --session --fork --nopidfile --print-address=1 --print-pid=1) ||
        skip "no D-Bus session bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 <<<"$bus")
    pids+=("$(tail -n 1 <<<"$bus")")
    pipewire >>"$work/pipewire.log" 2>&1 &
    pipewire=$! && pids+=("$pipewire")
    wait_for $pipewire 10 test -S "$XDG_RUNTIME_DIR/pipewire-0" || skip "PipeWire did not start"
    [[ $session == full ]] || return 0
    wireplumber >>"$work/wireplumber.log" 2>&1 &
    pipewire_session=($!)
    pipewire-pulse >>"$work/pipewire-pulse.log" 2>&1 &
    pipewire_session+=($!)
    pids+=("${pipewire_session[@]}")
    wait_for $pipewire 10 pactl info >/dev/null 2>&1 || skip "PipeWire's PulseAudio server did not start"
    pactl load-module module-null-sink sink_name=testsink >/dev/null || skip "no null sink"
    wait_for $pipewire 10 has_sink || skip "the null sink did not appear"
    pactl set-default-sink testsink
}
has_sink() { pactl list short sinks | grep -q testsink; }

# plinkora_node: how the program's node reaches the graph ("native", or the API it came
# through, such as pipewire-pulse); fails while it has none.
plinkora_node() {
    pw-dump 2>/dev/null | python3 -c '
import json, sys
for o in json.load(sys.stdin):
    props = (o.get("info") or {}).get("props") or {}
    if o.get("type", "").endswith(":Node") and props.get("application.name") == "Plinkora":
        print(props.get("client.api", "native"))
        sys.exit(0)
sys.exit(1)'
}
# node_is API: the program has a node that came through API.
node_is() { [[ $(plinkora_node) == "$1" ]]; }
