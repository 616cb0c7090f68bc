#!/usr/bin/env bash
# usage: frozen_jack.sh PLINKORA
# A JACK server that stops answering without going away (SIGSTOP, as a hung server does) under
# the real program: closing, opening and choosing a device, with the built-in synthesizer on
# JACK and with Plinkora's own port, must never hold the window. An opening the server does not
# answer counts as a lost device, shown with one warning at a time; once the server answers
# again the device comes back by itself and its warning goes. Quitting while the server is
# frozen ends the program at once. A pedal held while the server froze ends up lifted at the
# reader once the device opens again. Exits 0 on success, 1 on a failure, 77 only where the JACK
# server or Xvfb cannot start.
set -u

plinkora=$(realpath "$1")
name=frozen-jack
source "$(dirname "$0")/common.sh"
keep_work=${E2E_KEEP:-0}
listed() { jack_lsp 2>/dev/null | grep -qx "$1"; }
# A stopped server takes no signal to end until it is let go on.
on_exit() { [[ -n ${jackd:-} ]] && kill -CONT "$jackd" 2>/dev/null; }
freeze() { kill -STOP "$jackd" && echo "-- the JACK server is frozen"; }
thaw() { kill -CONT "$jackd" && echo "-- the JACK server answers again"; }
one_warning() {
    local shown
    shown=$(wait_for $app 6 window_named '^Plinkora$') || fail "$1: no warning"
    (($(warnings_shown) == 1)) || fail "$1: $(warnings_shown) warnings at once"
    echo "$1: the device shows closed, with one warning"
    warning=$shown
}
# Without a window manager the keyboard does not go back to the window by itself.
dismiss() { xdotool windowfocus --sync "$warning" key Return sleep 0.3 windowfocus --sync "$window"; }
no_warning() { (($(warnings_shown) == 0)); }

for tool in jackd jack_lsp; do
    command -v "$tool" >/dev/null || skip "$tool is not installed (jackd2, scripts/install-deps.sh)"
done
for tool in xdotool xset python3; do
    command -v "$tool" >/dev/null || fail "$tool is needed (see scripts/install-deps.sh)"
done

use_private_home
export JACK_DEFAULT_SERVER=plinkora-frozen-$$ JACK_NO_START_SERVER=1
export PULSE_SERVER=unix:$work/no-pulse  # no PulseAudio: the synthesizer plays through JACK
jackd -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$work/jackd.log" 2>&1 &
jackd=$! && pids+=("$jackd")
wait_for $jackd 10 jack_lsp >/dev/null 2>&1 || skip "the JACK server did not start"
start_xvfb
xset r off

say "starting $plinkora, its synthesizer on JACK"
cd "$work/app" || exit 1
use_test_soundfont
"$plinkora" >"$work/app/plinkora.log" 2>&1 &
app=$! && pids+=("$app")
window=$(wait_for $app 30 window_named '^Plinkora - \[Untitled\]$') || fail "no main window"
wait_for $app 10 listed Plinkora:out_left || fail "the synthesizer did not open on JACK"
sleep 0.5
xdotool windowfocus --sync "$window"

say "the synthesizer's closing and opening on a frozen server"
freeze
answer "Alt+S" alt+s
answer "Alt+O" alt+o
one_warning "the opening the server did not answer"
dismiss
answer "a key signature after the warning" alt+d
thaw
wait_for $app 10 listed Plinkora:out_left || fail "the synthesizer did not come back"
sleep 2.5  # the device reopens on the round of the quiet retries after its ports show
echo "the synthesizer is back by itself"

say "choosing the own port while the server is frozen"
freeze
# The own port stands just above Synthesizer..., the menu's last item.
xdotool key alt+6 sleep 0.5 key Up Up
answer "the own port chosen" Return
one_warning "the own port the server did not answer"
dismiss
thaw
wait_for $app 10 listed Plinkora:midi_out || fail "the own port did not come back"
sleep 2.5
echo "the own port is back by itself"

say "the own port's closing and opening on a frozen server"
freeze
answer "Alt+S" alt+s
answer "Alt+O" alt+o
one_warning "the own port opened again"
thaw
wait_for $app 10 listed Plinkora:midi_out || fail "the own port did not come back"
wait_for $app 5 no_warning || fail "the warning stayed after the device came back"
echo "the own port is back by itself, and its warning went without a key"

say "a full port queue while the server is frozen"
stdbuf -oL jack_midi_dump >"$work/dump.log" 2>&1 &
dump=$! && pids+=("$dump")
wait_for $dump 5 jack_connect Plinkora:midi_out midi-monitor:input ||
    fail "could not connect jack_midi_dump to the own port"
xdotool windowfocus --sync "$window" key alt+5 sleep 1 key Return sleep 0.5  # the bourdon
freeze
# Each key sends four words with the bourdon: 1,200 keys overfill the port's 4,095 places.
xdotool type --delay 3 "$(printf 'asdf%.0s' $(seq 300))"
thaw
# The note ons that got out, less their note offs, for each channel and note; the words.
sounding() {
    sed -nE 's/^ *[0-9]+: ([0-9a-f]{2}) ([0-9a-f]{2}) ([0-9a-f]{2}).*/\1 \2 \3/p' "$work/dump.log" |
        awk '$1 ~ /^9/ && $3 != "00" { on[substr($1, 2) $2]++ } $1 ~ /^8/ { on[substr($1, 2) $2] = 0 }
             END { n = 0; for (k in on) if (on[k] > 0) n++; print n }'
}
words_received() { grep -cE '^ *[0-9]+: [0-9a-f]{2} ' "$work/dump.log"; }
all_released() { (($(sounding) == 0 && $(words_received) > 4000)); }
wait_for $app 10 all_released ||
    fail "after the queue was full, $(sounding) notes were left sounding ($(words_received) words)"
echo "the queue overflowed: $(words_received) words arrived once the server answered again," \
    "and every note on reached its note off; the last: $(grep -E '^ *[0-9]+: ' "$work/dump.log" |
        tail -n 4 | sed -E 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*/[\1]/' | tr -d '\n')"
kill "$dump" 2>/dev/null

say "the pedal held while the server froze, let go, and the device closed and opened again"
stdbuf -oL jack_midi_dump pedal-monitor >"$work/pedal.log" 2>&1 &
dump=$! && pids+=("$dump")
wait_for $dump 5 jack_connect Plinkora:midi_out pedal-monitor:input ||
    fail "could not connect jack_midi_dump to the own port"
# The port is made anew once the server answers: the reader follows it, as a patchbay does. The
# device's quiet trial opening holds the new port a round before the words come.
(while kill -0 "$dump" 2>/dev/null; do
    jack_connect Plinkora:midi_out pedal-monitor:input >/dev/null 2>&1
    sleep 0.1
done) &
pids+=($!)
xdotool windowfocus --sync "$window" keydown space sleep 0.5  # with the bourdon still on
freeze
xdotool type --delay 3 "$(printf 'asdf%.0s' $(seq 300))"
xdotool keyup space  # the lift finds the queue full
answer "Alt+S" alt+s
answer "Alt+O" alt+o
one_warning "the own port opened again with the pedal's lift owed"
dismiss
thaw
wait_for $app 10 listed Plinkora:midi_out || fail "the own port did not come back"
# Each channel's last controller 64 at the reader, and the last words.
last_pedals() {
    sed -nE 's/^ *[0-9]+: (b[0-9a-f]) 40 ([0-9a-f]{2}).*/\1 \2/p' "$work/pedal.log" |
        awk '{ last[$1] = $2 } END { for (c in last) print c, last[c] }' | sort | tr '\n' ' '
}
pedals_up() { [[ $(last_pedals) == "b0 00 bf 00 " ]]; }
last_words() {
    sed -nE 's/^ *[0-9]+: (([0-9a-f]{2} ?)+).*/[\1]/p' "$work/pedal.log" | tail -n "$1" |
        sed -E 's/ \]/]/' | tr -d '\n'
}
wait_for $app 10 pedals_up ||
    fail "the pedal stayed down at the reader: last controller 64 by channel: $(last_pedals)"
sleep 0.5
# Lifted before All Notes Off, which a receiver would hold under a pedal still down.
[[ $(last_words 20) == "[b0 40 00][bf 40 00][b0 7b 00]"* ]] ||
    fail "the reopened port was not sent the lift, then All Notes Off: $(last_words 20)"
echo "the pedal is up at the reader on channels 1 and 16, then All Notes Off: $(last_words 20)"
kill "$dump" 2>/dev/null

say "quitting while the server is frozen"
freeze
# The program's end is taken from wait, never from /proc: a process that is ending passes
# through states a poll can misread, and bash reaps it in the background.
python3 "$here/close_window.py" "$window" || fail "could not ask the window to close"
started=$(date +%s%N)
sleep 5 &
limit=$! && pids+=("$limit")
wait -n -p first "$app" "$limit"
status=$?
ms=$((($(date +%s%N) - started) / 1000000))
if [[ $first != "$app" ]]; then
    for task in /proc/"$app"/task/*; do
        echo "still running: $(cut -d' ' -f2-3 "$task/stat" 2>/dev/null) in $(cat "$task/wchan" 2>/dev/null)"
    done
    fail "the program did not end within 5 s with the server frozen"
fi
kill "$limit" 2>/dev/null
((status == 0)) || fail "the program ended with status $status"
((ms <= 1000)) || fail "the program took $ms ms to end with the server frozen"
echo "the program ended $ms ms after its window was asked to close"
thaw
echo "PASS: the window never waited on the frozen JACK server"
