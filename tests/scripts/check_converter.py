#!/usr/bin/env python3
"""End-to-end checks of plinkora-convert: documents written here byte by byte, the exported
.mid files read back with mido (an independent reader), the .wav files with the wave module,
and the exit statuses and messages of the command line."""

import math
import os
import struct
import subprocess
import sys
import tempfile
import wave

import mido

CONVERT = sys.argv[1]
SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"

# (octave, semitone) of the keys used here, by scan code.
KEYS = {30: (5, 0), 31: (5, 2), 37: (6, 0), 16: (3, 7)}
TRANSPOSITION = {1297: 0, 1298: 2, 1332: 1}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def document(events, key_signature=1297, bourdon=0, date=b"2024-03-09"):
    data = b"".join(struct.pack("<IIIi", d, m, k << 16, s) for d, m, k, s in events)
    info = b"INFO" + chunk(b"ISFT", b"PL by Orak\0") + chunk(b"ISCD", date + b"\0")
    fmt = struct.pack("<6I", len(events), key_signature, bourdon, 0, 0, 0)
    return chunk(b"RIFF", b"PL  " + chunk(b"LIST", info) + chunk(b"fmt ", fmt)
                 + chunk(b"data", data))


def chunk(name, data):
    return name + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def run(*args):
    return subprocess.run([CONVERT, *args], capture_output=True, text=True, timeout=120)


def ticks(delay_ms):
    return delay_ms * 192000 // 759494


def expected_notes(events, key_signature, channel, octave_offset):
    """(absolute tick, type, note) of every event, as the export must write it."""
    notes, now = [], 0
    for delay, message, key, _shift in events:
        now += ticks(delay)
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
    path = os.path.join(work, "song.plk")
    with open(path, "wb") as f:
        f.write(document(events, 1298, 1))

    # The document's own settings: key signature D and the bourdon track.
    out = os.path.join(work, "song.mid")
    result = run(path, out)
    check(result.returncode == 0, "export exits 0: " + result.stderr)
    midi = mido.MidiFile(out)
    check(midi.type == 1 and len(midi.tracks) == 2, "bourdon document: format 1, two tracks")
    check(midi.ticks_per_beat == 192, "192 ticks per quarter note")
    for index, track in enumerate(midi.tracks):
        tempos = [m.tempo for m in track if m.type == "set_tempo"]
        programs = [(m.channel, m.program) for m in track if m.type == "program_change"]
        check(tempos == [759494], f"track {index}: one tempo of 759494 us")
        check(programs == [(15 if index else 0, 0)], f"track {index}: program 0 on its channel")
    melody = [n for n in track_notes(midi.tracks[0])]
    want = expected_notes(events, 1298, 0, 0)
    check([n[:4] for n in melody[:-2]] == want, f"melody notes and ticks: {melody}")
    check(all(n[4] == 127 for n in melody[:-2]), "melody velocity 127")
    last = want[-1][0]
    check(melody[-2][:3] == (last + 399, "note_on", 1) and melody[-2][4] == 0,
          "closing silent note 399 ticks after the last event")
    bourdon = track_notes(midi.tracks[1])
    check([n[:4] for n in bourdon] == expected_notes(events, 1298, 15, -1),
          f"bourdon notes an octave lower on channel 16: {bourdon}")
    check(midi.tracks[1][-1].type == "end_of_track", "bourdon track ends")

    # Options over the document's settings.
    out = os.path.join(work, "options.mid")
    result = run("--key-signature", "6=#a", "--program", "40", "--bourdon", "off", path, out)
    check(result.returncode == 0, "export with options exits 0")
    midi = mido.MidiFile(out)
    check(midi.type == 0 and len(midi.tracks) == 1, "--bourdon off: format 0, one track")
    programs = [m.program for m in midi.tracks[0] if m.type == "program_change"]
    check(programs == [40], "--program 40")
    notes = track_notes(midi.tracks[0])
    check([n[:4] for n in notes[:-2]] == expected_notes(events, 1332, 0, 0),
          "--key-signature 6=#a transposes by one semitone")

    result = run("--info", path)
    check(result.returncode == 0, "--info exits 0")
    length = sum(max(d, 5) for d, _m, _k, _s in events) / 1000
    for line in ("Events: 6", f"Length: {length:.3f} s", "Key signature: 1298 (1=D)",
                 "Bourdon: on", "Saved: 2024-03-09"):
        check(line in result.stdout, f"--info prints {line!r}: {result.stdout!r}")


def goertzel(samples, rate, freq):
    coefficient = 2 * math.cos(2 * math.pi * freq / rate)
    s1 = s2 = 0.0
    n = len(samples)
    for i, x in enumerate(samples):
        window = 0.5 - 0.5 * math.cos(2 * math.pi * i / (n - 1))
        s1, s2 = x * window + coefficient * s1 - s2, s1
    return math.sqrt(max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)) / n


def read_wav(path):
    with wave.open(path) as w:
        params = (w.getnchannels(), w.getsampwidth(), w.getframerate())
        frames = w.readframes(w.getnframes())
    left = struct.unpack(f"<{len(frames) // 2}h", frames)[::2]
    return params, left


def rms(samples):
    return math.sqrt(sum(x * x for x in samples) / max(len(samples), 1))


def check_wav(work):
    if not os.path.exists(SOUNDFONT):
        print("SKIP: no", SOUNDFONT, "for the audio checks")
        return
    events = [(200, 256, 30, 0), (1000, 257, 30, 0)]  # "1" in C: middle C, 261.6 Hz
    path = os.path.join(work, "note.plk")
    with open(path, "wb") as f:
        f.write(document(events))
    levels = {}
    for force in (127, 20):
        out = os.path.join(work, f"note{force}.wav")
        result = run("--soundfont", SOUNDFONT, "--force", str(force), "--track", "3", path, out)
        check(result.returncode == 0, f"wav exits 0: {result.stderr}")
        params, left = read_wav(out)
        check(params == (2, 2, 44100), f"16-bit stereo 44.1 kHz: {params}")
        check(len(left) == (1200 + 2000) * 441 // 10, f"length: playback plus ring-out: {len(left)}")
        check(rms(left[:int(0.19 * 44100)]) < 1, "silent before the first event")
        levels[force] = rms(left[int(0.25 * 44100):int(1.15 * 44100)])
        if force == 127:
            sound = [x / 32768 for x in left[int(0.3 * 44100):int(0.8 * 44100)]]
            at_c = goertzel(sound, 44100, 261.63)
            others = [goertzel(sound, 44100, 261.63 * 2 ** (c / 1200)) for c in (-200, -100, 100, 200)]
            check(at_c > 3 * max(others), f"middle C sounds: {at_c} against {others}")
    check(levels[127] > 2 * levels[20] > 0, f"the force is the velocity: {levels}")

    # A shifted event sounds an octave up, as playback plays it.
    path = os.path.join(work, "shifted.plk")
    with open(path, "wb") as f:
        f.write(document([(200, 256, 30, 1), (1000, 257, 30, 1)]))
    out = os.path.join(work, "shifted.wav")
    check(run("--soundfont", SOUNDFONT, path, out).returncode == 0, "shifted wav exits 0")
    _params, left = read_wav(out)
    sound = [x / 32768 for x in left[int(0.3 * 44100):int(0.8 * 44100)]]
    check(goertzel(sound, 44100, 523.25) > 3 * goertzel(sound, 44100, 261.63 * 2 ** (11 / 12)),
          "octave shift applied in the audio")


def check_command_line(work):
    missing = os.path.join(work, "missing.plk")
    result = run(missing, os.path.join(work, "x.mid"))
    check(result.returncode == 1, "missing document exits 1")
    check(result.stderr.strip() == f"Can not find or open file {missing}.",
          f"missing document message: {result.stderr!r}")

    wave_file = os.path.join(work, "noise.plk")
    with open(wave_file, "wb") as f:
        f.write(chunk(b"RIFF", b"WAVE" + chunk(b"fmt ", bytes(16))))
    result = run("--info", wave_file)
    check(result.returncode == 1 and
          result.stderr.strip() == f"File {wave_file} is not a standard Plinkora file.",
          f"a wave file is not a document: {result.stderr!r}")

    odd_key = os.path.join(work, "oddkey.plk")
    with open(odd_key, "wb") as f:
        f.write(document([(0, 256, 30, 0)], 1306))
    target = os.path.join(work, "kept.mid")
    with open(target, "wb") as f:
        f.write(b"earlier")
    result = run(odd_key, target)
    check(result.returncode == 1 and "is not a supported Plinkora file." in result.stderr,
          f"unnamed key signature refused: {result.stderr!r}")
    with open(target, "rb") as f:
        check(f.read() == b"earlier", "a refused conversion leaves the earlier file alone")

    for args in ([], ["--program", "200", "a.plk", "b.mid"]):
        result = run(*args)
        check(result.returncode == 2 and "Usage:" in result.stderr, f"bad arguments {args} exit 2")

    result = run("--help")
    check(result.returncode == 0, "--help exits 0")
    for option in ("--key-signature", "--program", "--bourdon", "--force", "--track",
                   "--soundfont", "--info", ".wav", ".mid"):
        check(option in result.stdout, f"--help explains {option}")


def main():
    with tempfile.TemporaryDirectory() as work:
        check_midi(work)
        check_command_line(work)
        check_wav(work)
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("all converter checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
