#!/usr/bin/env python3
"""plinkora-convert end to end: documents written byte by byte, the .mid files read back with
mido (an independent reader), the .wav files with the wave module, exit statuses, messages."""

import math
import os
import signal
import struct
import subprocess
import sys
import tempfile
import time
import wave

import mido

CONVERT = sys.argv[1]
SOUNDFONT = sys.argv[2] if len(sys.argv) > 2 else "/usr/share/sounds/sf2/TimGM6mb.sf2"
KEYS = {30: (5, 0), 31: (5, 2), 37: (6, 0)}  # (octave, semitone) by scan code
TRANSPOSITION = {1297: 0, 1298: 2, 1332: 1}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def chunk(name, data):
    return name + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def write_document(path, events, key_signature=1297, bourdon=0):
    data = b"".join(struct.pack("<IIIi", d, m, k << 16, s) for d, m, k, s in events)
    info = b"INFO" + chunk(b"ISFT", b"PL by Orak\0") + chunk(b"ISCD", b"2024-03-09\0")
    fmt = struct.pack("<6I", len(events), key_signature, bourdon, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(chunk(b"RIFF", b"PL  " + chunk(b"LIST", info) + chunk(b"fmt ", fmt)
                      + chunk(b"data", data)))
    return path


def run(*args):
    return subprocess.run([CONVERT, *args], capture_output=True, text=True, timeout=120)


def expected_notes(events, key_signature, channel, octave_offset):
    """(absolute tick, type, note, channel) of every event, as the export must write it."""
    notes, now = [], 0
    for delay, message, key, _shift in events:
        now += delay * 192000 // 759494
        octave, semitone = KEYS[key]
        note = 12 * (octave + octave_offset) + semitone + TRANSPOSITION[key_signature]
        notes.append((now, "note_on" if message == 256 else "note_off", note, channel))
    return notes


def track_notes(track):
    notes, now = [], 0
    for msg in track:
        now += msg.time
        if msg.type in ("note_on", "note_off"):
            notes.append((now, msg.type, msg.note, msg.channel, msg.velocity))
    return notes


def check_midi(work):
    events = [(1000, 256, 30, 0), (500, 257, 30, 0), (30000, 256, 31, 1), (65000, 257, 31, 1),
              (0, 256, 37, -1), (3, 257, 37, -1)]
    path = write_document(os.path.join(work, "song.plk"), events, 1298, 1)
    out = os.path.join(work, "song.mid")
    check(run(path, out).returncode == 0, "export exits 0")
    midi = mido.MidiFile(out)
    check(midi.type == 1 and len(midi.tracks) == 2 and midi.ticks_per_beat == 192,
          "bourdon document: format 1, two tracks, 192 ticks per quarter note")
    for index, track in enumerate(midi.tracks):
        tempos = [m.tempo for m in track if m.type == "set_tempo"]
        programs = [(m.channel, m.program) for m in track if m.type == "program_change"]
        check(tempos == [759494] and programs == [(15 if index else 0, 0)],
              f"track {index}: one tempo of 759494 us, program 0 on its channel")
    melody = track_notes(midi.tracks[0])
    want = expected_notes(events, 1298, 0, 0)
    check([n[:4] for n in melody[:-2]] == want and all(n[4] == 127 for n in melody[:-2]),
          f"melody notes, ticks and velocity 127: {melody}")
    check(melody[-2][:3] == (want[-1][0] + 399, "note_on", 1) and melody[-2][4] == 0,
          "closing silent note 399 ticks after the last event")
    bourdon = track_notes(midi.tracks[1])
    check([n[:4] for n in bourdon] == expected_notes(events, 1298, 15, -1),
          f"bourdon notes an octave lower on channel 16: {bourdon}")

    # Options over the document's settings.
    out = os.path.join(work, "options.mid")
    result = run("--key-signature", "6=#a", "--program", "40", "--bourdon", "off", path, out)
    check(result.returncode == 0, "export with options exits 0")
    midi = mido.MidiFile(out)
    check(midi.type == 0 and len(midi.tracks) == 1, "--bourdon off: format 0, one track")
    programs = [m.program for m in midi.tracks[0] if m.type == "program_change"]
    check(programs == [40], "--program 40")
    check([n[:4] for n in track_notes(midi.tracks[0])[:-2]] == expected_notes(events, 1332, 0, 0),
          "--key-signature 6=#a transposes by one semitone")

    # --as-played keeps each chord's octave shift (here every release has its press's shift).
    out = os.path.join(work, "played.mid")
    check(run("--as-played", path, out).returncode == 0, "--as-played exits 0")
    shifted = [(t, kind, note + 12 * e[3], ch) for (t, kind, note, ch), e in
               zip(expected_notes(events, 1298, 0, 0), events)]
    check([n[:4] for n in track_notes(mido.MidiFile(out).tracks[0])[:-2]] == shifted,
          "--as-played writes the octave each note was played in")
    result = run("--help")
    check("--as-played" in result.stdout, "--help explains --as-played")

    result = run("--info", path)
    length = sum(max(d, 5) for d, _m, _k, _s in events) / 1000
    for line in ("Events: 6", f"Length: {length:.3f} s", "Key signature: 1298 (1=D)",
                 "Bourdon: on", "Saved: 2024-03-09"):
        check(result.returncode == 0 and line in result.stdout, f"--info prints {line!r}")


def check_wav(work):
    if not os.path.exists(SOUNDFONT):
        print("SKIP: no", SOUNDFONT, "for the audio checks")
        return
    path = write_document(os.path.join(work, "note.plk"), [(200, 256, 30, 0), (1000, 257, 30, 0)])
    levels = {}
    for force in (127, 20):
        out = os.path.join(work, f"note{force}.wav")
        result = run("--soundfont", SOUNDFONT, "--force", str(force), "--track", "3", path, out)
        check(result.returncode == 0, f"wav exits 0: {result.stderr}")
        with wave.open(out) as w:
            params = (w.getnchannels(), w.getsampwidth(), w.getframerate())
            frames = w.readframes(w.getnframes())
        check(params == (2, 2, 44100), f"16-bit stereo 44.1 kHz: {params}")
        left = struct.unpack(f"<{len(frames) // 2}h", frames)[::2]
        check(len(left) == (1200 + 2000) * 441 // 10, f"length: playback plus ring-out: {len(left)}")
        rms = [math.sqrt(sum(x * x for x in part) / len(part))
               for part in (left[:int(0.19 * 44100)], left[int(0.25 * 44100):int(1.15 * 44100)])]
        check(rms[0] < 1, "silent before the first event")
        levels[force] = rms[1]
    check(levels[127] > 2 * levels[20] > 0, f"the force is the velocity: {levels}")


def check_soundfont_fallback(work):
    """A SoundFont from PLINKORA_SOUNDFONT that does not load gives way to the system's, with a
    line naming it; the one named by --soundfont is the only one tried."""
    if not os.path.exists(SOUNDFONT):
        print("SKIP: no", SOUNDFONT, "to fall back on")
        return
    path = write_document(os.path.join(work, "fallback.plk"), [(200, 256, 30, 0), (500, 257, 30, 0)])
    half = os.path.join(work, "half.sf2")
    with open(SOUNDFONT, "rb") as whole, open(half, "wb") as cut:
        cut.write(whole.read(os.path.getsize(SOUNDFONT) // 2))
    out = os.path.join(work, "fallback.wav")
    result = subprocess.run([CONVERT, path, out], capture_output=True, text=True, timeout=120,
                            env=dict(os.environ, PLINKORA_SOUNDFONT=half))
    check(result.returncode == 0 and os.path.exists(out),
          f"a broken PLINKORA_SOUNDFONT falls back: {result.returncode} {result.stderr}")
    check(f"Can not load the SoundFont {half}." in result.stderr, f"it is named: {result.stderr}")
    named = os.path.join(work, "named.wav")
    result = run("--soundfont", half, path, named)
    check(result.returncode == 1 and not os.path.exists(named),
          f"a broken --soundfont fails: {result.returncode}")


def check_pedal(work):
    """The space bar's pedal: control change 64 on each track's channel at its time, in the
    file as played and in the standard one; a take finished with Space held ends lifted."""
    space = 0x39
    events = [(0, 256, 30, 0), (1000, 256, space, 0), (500, 257, 30, 0), (500, 257, space, 0)]
    lifted_at = {"pedal": 252 + 126 + 126, "held": 252 + 126}  # the take's last event
    for name, take in (("pedal", events), ("held", events[:3])):
        path = write_document(os.path.join(work, name + ".plk"), take, bourdon=1)
        out = os.path.join(work, name + ".mid")
        for kind in (["--as-played"], []):
            check(run(*kind, path, out).returncode == 0, f"{name} {kind} exits 0")
            for track, channel in zip(mido.MidiFile(out).tracks, (0, 15)):
                now, pedal = 0, []
                for message in track:
                    now += message.time
                    if message.type == "control_change":
                        pedal.append((now, message.control, message.value, message.channel))
                check(pedal == [(252, 64, 127, channel), (lifted_at[name], 64, 0, channel)],
                      f"the pedal of {name}.plk {kind} on channel {channel + 1}: {pedal}")


def check_level(work):
    """One piano note at full force near -6 dBFS; a ten-note chord doubled never clips."""
    if not os.path.exists(SOUNDFONT):
        return
    one = write_document(os.path.join(work, "loud1.plk"), [(0, 256, 30, 0), (1000, 257, 30, 0)])
    keys = (16, 17, 18, 30, 31, 32, 33, 34, 35, 36)
    chord = write_document(os.path.join(work, "loud10.plk"),
                           [(0, 256, k, 0) for k in keys] + [(1500, 257, k, 0) for k in keys], 1297, 1)
    for path, low, high in ((one, -9, -3), (chord, -40, -0.5)):
        out = path[:-4] + ".wav"
        check(run("--soundfont", SOUNDFONT, path, out).returncode == 0, f"{out} exits 0")
        with wave.open(out) as w:
            frames = w.readframes(w.getnframes())
        samples = struct.unpack(f"<{len(frames) // 2}h", frames)
        peak = 20 * math.log10(max(abs(x) for x in samples) / 32768)
        check(low <= peak <= high, f"{os.path.basename(out)} peaks at {peak:.1f} dBFS")


def check_command_line(work):
    missing = os.path.join(work, "missing.plk")
    result = run(missing, os.path.join(work, "x.mid"))
    check(result.returncode == 1 and result.stderr.strip() == f"Can not find or open file {missing}.",
          f"missing document exits 1: {result.stderr!r}")

    odd_key = write_document(os.path.join(work, "oddkey.plk"), [(0, 256, 30, 0)], 1306)
    target = os.path.join(work, "kept.mid")
    with open(target, "wb") as f:
        f.write(b"earlier")
    result = run(odd_key, target)
    check(result.returncode == 1 and "is not a supported Plinkora file." in result.stderr,
          f"unknown key signature refused: {result.stderr!r}")
    with open(target, "rb") as f:
        check(f.read() == b"earlier", "a refused conversion leaves the earlier file alone")

    for args in ([], ["--program", "200", "a.plk", "b.mid"]):
        result = run(*args)
        check(result.returncode == 2 and "Usage:" in result.stderr, f"bad arguments {args} exit 2")
    result = run("--help")
    check(result.returncode == 0 and all(option in result.stdout for option in (
        "--key-signature", "--program", "--bourdon", "--force", "--track", "--soundfont",
        "--info", ".wav", ".mid")), "--help exits 0 and explains every option")


def check_targets_and_signals(work):
    one = write_document(os.path.join(work, "one.plk"), [(0, 256, 30, 0), (50, 257, 30, 0)])
    pipe = os.path.join(work, "pipe.mid")
    os.mkfifo(pipe)
    os.symlink("pipe.mid", os.path.join(work, "to-pipe.mid"))
    for target in (pipe, os.path.join(work, "to-pipe.mid")):
        result = run(one, target)
        check(result.returncode == 1 and result.stderr.strip() == f"Can not open file {target} to write.",
              f"a pipe is not replaced: {result.stderr!r}")
    check(os.path.exists(pipe) and not os.path.isfile(pipe), "the pipe is still a pipe")

    # An hour of sound takes long enough to render that the signal comes mid-write.
    long = write_document(os.path.join(work, "long.plk"), [(0, 256, 30, 0), (3600000, 257, 30, 0)])
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        folder = tempfile.mkdtemp(dir=work)
        render = subprocess.Popen([CONVERT, "--soundfont", SOUNDFONT, long,
                                   os.path.join(folder, "x.wav")], stderr=subprocess.DEVNULL)
        for _ in range(1000):
            if os.listdir(folder) or render.poll() is not None:
                break
            time.sleep(0.01)
        render.send_signal(number)
        render.wait(timeout=60)
        check(render.returncode == -number and os.listdir(folder) == [],
              f"signal {number}: status {render.returncode}, left {os.listdir(folder)}")


def main():
    with tempfile.TemporaryDirectory() as work:
        check_midi(work)
        check_command_line(work)
        check_targets_and_signals(work)
        check_wav(work)
        check_soundfont_fallback(work)
        check_pedal(work)
        check_level(work)
    print(f"{len(failures)} check(s) failed" if failures else "all converter checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
