#!/usr/bin/env bash
# usage: jack_port.sh PLINKORA
# Plinkora's own MIDI output port on a real JACK server (its dummy backend, no sound card) read
# by a real JACK MIDI reader (jack_midi_dump): the port is opened from the Device menu of the
# real window, keys are typed with xdotool, and the words must arrive in order; closing the
# device removes the port; a server that stops under the open port shows the device closed, and
# the port comes back with the server. Exits 0 on success, 1 on a failure, 77 only where the
# JACK server or Xvfb cannot start.
# JACK_PORT_SCREENSHOTS=DIR keeps pictures of each step.
set -u

plinkora=$(realpath "$1")
name=jack
source "$(dirname "$0")/common.sh"
screenshot() {
    [[ -z ${JACK_PORT_SCREENSHOTS:-} ]] || import -window root "$JACK_PORT_SCREENSHOTS/$1.png"
}
port_listed() { jack_lsp 2>/dev/null | grep -qx 'Plinkora:midi_out'; }
port_gone() { ! port_listed; }
# The words jack_midi_dump has printed so far, one message a line ("90 3c 7f").
words() {
    sed -nE 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*/\1/p' "$dumplog" | sed -E 's/ +$//'
}
# expect_words WHAT WORD...: the words that arrived since the last check are exactly these.
seen=0
expect_words() {
    local what=$1 expected got
    shift
    expected=$(printf '%s\n' "$@")
    wait_for "$dump" 5 test "$(words | wc -l)" -ge $((seen + $#))
    sleep 0.3  # nothing more may follow
    got=$(words | tail -n +$((seen + 1)))
    [[ $got == "$expected" ]] || fail "$what: expected
$expected
received
$got"
    seen=$((seen + $#))
    echo "$what:" $(printf '[%s] ' "$@")
}
press() { xdotool keydown "$1" sleep 0.3 keyup "$1" sleep 0.3; }
# start_dump: a fresh jack_midi_dump, connected to the port.
start_dump() {
    dumplog=$work/dump-$((++dumps)).log seen=0
    stdbuf -oL jack_midi_dump >"$dumplog" 2>&1 &
    dump=$! && pids+=("$dump")
    wait_for $dump 5 connect_dump || fail "could not connect jack_midi_dump to Plinkora:midi_out"
}
connect_dump() { jack_connect Plinkora:midi_out midi-monitor:input >/dev/null 2>&1; }
start_jackd() {
    jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >>"$work/jackd.log" 2>&1 &
    jackd=$! && pids+=("$jackd")
    wait_for $jackd 10 jack_lsp >/dev/null 2>&1
}

for tool in jackd jack_lsp jack_connect jack_midi_dump; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (jackd2, scripts/install-deps.sh)"
done
for tool in xdotool xset python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done
[[ -z ${JACK_PORT_SCREENSHOTS:-} ]] || mkdir -p "$JACK_PORT_SCREENSHOTS"

# A private home, runtime folder, display and JACK server; no PulseAudio, so that the built-in
# synthesizer plays through JACK too.
use_private_home
export JACK_DEFAULT_SERVER=plinkora-test-$$ JACK_NO_START_SERVER=1
export PULSE_SERVER=unix:$work/no-pulse

say "starting a JACK server ($JACK_DEFAULT_SERVER, dummy backend) and Xvfb"
start_jackd || skip "the JACK server did not start: $(tail -n 3 "$work/jackd.log")"
start_xvfb
xset r off  # held keys must not repeat

say "starting $plinkora"
cd "$work/app" || exit 1
use_test_soundfont
"$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")
window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') ||
    fail "the main window did not show"
sleep 1
xdotool windowfocus --sync "$window"
port_gone || fail "the port exists before it was chosen"

say "choosing Plinkora output port, the Device menu's last item before Synthesizer..."
# A busy machine may show the menu late: the choice is made again while no port shows.
for attempt in 1 2 3; do
    xdotool windowfocus --sync "$window" key alt+6 sleep 1
    ((attempt == 1)) && screenshot device-menu
    xdotool key Up Up sleep 0.3 key Return
    wait_for $app 3 port_listed && break
done
port_listed || fail "no port Plinkora:midi_out after choosing it"
screenshot port-open
echo "port listed: $(jack_lsp -t Plinkora:midi_out | tr '\n\t' '  ')"

dumps=0
start_dump

say "typing keys"
xdotool windowfocus --sync "$window"
press a
expect_words "A in 1=C, Track 1" "90 3c 7f" "80 3c 00"
xdotool key alt+5 sleep 1 key Return sleep 0.5  # Function: Add bourdon automatism
press a
expect_words "A with the bourdon" "90 3c 7f" "9f 30 7f" "80 3c 00" "8f 30 00"
xdotool keydown Right sleep 0.3 keyup Right
expect_words "Right arrow held and let go" "e0 7e 7f" "e0 7f 3f"  # the bourdon is never bent
xdotool key Down sleep 0.2 key Page_Down sleep 0.2
press a
expect_words "A after Down and Page Down" "90 3c 76" "9f 30 76" "80 3c 00" "8f 30 00"
xdotool key Page_Up sleep 0.2 key Page_Up sleep 0.2  # back to 127, and no further

say "closing the device"
xdotool key alt+s
all_notes_off=()
for channel in 0 1 2 3 4 5 6 7 8 9 a b c d e f; do all_notes_off+=("b$channel 7b 00"); done
expect_words "Alt+S" "${all_notes_off[@]}"
wait_for $app 5 port_gone || fail "the port is still there after the device closed"
echo "the port is gone after Alt+S"

say "stopping the JACK server under the open port, and starting it again"
xdotool key alt+o
wait_for $app 5 port_listed || fail "no port after Alt+O"
kill "$jackd" && wait "$jackd" 2>/dev/null
kill "$dump" 2>/dev/null
warning=$(wait_for $app 10 window_named '^Plinkora$') ||
    fail "no warning when the JACK server stopped under the open port"
screenshot server-gone
echo "the server stopped: the device shows as closed, with a warning"
start_jackd || fail "the JACK server did not start again"
wait_for $app 10 port_listed || fail "the port did not come back with its server"
# The device reopens once the port is there; its warning is stale then, and goes by itself.
warning_gone() { ! xdotool search --onlyvisible --name '^Plinkora$' >/dev/null 2>&1; }
wait_for $app 5 warning_gone || fail "the warning stayed after the device came back"
echo "the server is back: the port came back by itself, and its warning went"
start_dump
xdotool windowfocus --sync "$window"
press a
expect_words "A after the server came back" "90 3c 7f" "9f 30 7f" "80 3c 00" "8f 30 00"

say "closing the window"
close_program "$window" "$app"
echo "PASS: the port carried every word, went away when closed, came back with its server"
