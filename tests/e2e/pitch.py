#!/usr/bin/env python3
"""Measures the pitch of one note in raw 16-bit mono audio and compares it with the expected one.

usage: pitch.py FILE RATE EXPECTED_HZ [TOLERANCE_CENTS]

Plain Python on purpose (no numpy on a fresh machine): the note is cut out after its attack,
spliced where the sound server ran dry, brought down to about 8.8 kHz, and the strongest
spectral peak within half an octave of the expected pitch is taken. A note an octave too low
would put its second harmonic on the expected pitch, so the octave below must stay quiet too.
Prints what was heard; exits 0 within the tolerance, 1 for a wrong or missing note, 2 when
dropouts left too little sound to judge.
"""
import array
import math
import sys

DECIMATION = 5
SEGMENT_SECONDS = 0.5
ATTACK_SECONDS = 0.06
MAX_LOST = 0.15  # beyond this the splices, not the note, start to decide the spectrum


def read_samples(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder == "big":
        samples.byteswap()
    return samples


def splice_dropouts(samples):
    """The samples with every stretch of near-silence taken out, and for each sample kept its
    place in the recording. A sound server that runs short of a late client's audio plays
    silence in between (its resampler rounds the edges off); the client's stream goes on where
    it stopped, so splicing the silence out restores most of the waveform. A sounding note never
    stays this near zero for so long."""
    peak = max((abs(x) for x in samples), default=0)
    quiet = max(4, peak // 100)
    kept, places, run = array.array("h"), array.array("l"), []
    for i, x in enumerate(samples):
        if abs(x) <= quiet:
            run.append(i)
            continue
        if len(run) <= 6:
            kept.extend(samples[j] for j in run)
            places.extend(run)
        run = []
        kept.append(x)
        places.append(i)
    return kept, places


def note_segment(samples, rate):
    """Where the note lies after its attack, as a slice of the samples, or None when the
    recording is silent."""
    frame = rate // 50
    levels = [max(abs(s) for s in samples[i:i + frame])
              for i in range(0, len(samples) - frame, frame)]
    if not levels or max(levels) < 200:
        return None
    threshold = max(levels) * 0.1
    onset = next(i for i, level in enumerate(levels) if level >= threshold) * frame
    start = onset + int(ATTACK_SECONDS * rate)
    return slice(start, min(start + int(SEGMENT_SECONDS * rate), len(samples)))


def low_pass_decimate(segment, rate):
    """Windowed-sinc low-pass below the new Nyquist frequency, then every DECIMATION-th sample."""
    new_rate = rate / DECIMATION
    cutoff = 0.4 * new_rate / rate
    taps = 41
    half = taps // 2
    kernel = []
    for n in range(taps):
        k = n - half
        ideal = 2 * cutoff if k == 0 else math.sin(2 * math.pi * cutoff * k) / (math.pi * k)
        kernel.append(ideal * (0.54 - 0.46 * math.cos(2 * math.pi * n / (taps - 1))))
    out = []
    for centre in range(half, len(segment) - half, DECIMATION):
        out.append(sum(kernel[n] * segment[centre - half + n] for n in range(taps)))
    return out, new_rate


def magnitude(signal, rate, hz):
    """Goertzel: the DFT magnitude of the windowed signal at one frequency."""
    coefficient = 2 * math.cos(2 * math.pi * hz / rate)
    s1 = s2 = 0.0
    for x in signal:
        s1, s2 = x + coefficient * s1 - s2, s1
    return math.sqrt(max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0))


def hann(signal):
    n = len(signal)
    return [x * (0.5 - 0.5 * math.cos(2 * math.pi * i / (n - 1))) for i, x in enumerate(signal)]


def strongest(signal, rate, low, high, step):
    candidates = [low + step * i for i in range(int((high - low) / step) + 1)]
    return max(((magnitude(signal, rate, hz), hz) for hz in candidates))


def peak_near(signal, rate, expected):
    """The strongest frequency within half an octave of the expected one, to a tenth of a hertz,
    and its magnitude."""
    _, coarse = strongest(signal, rate, expected * 2 ** -0.5, expected * 2 ** 0.5, 1.0)
    level, fine = strongest(signal, rate, coarse - 1.0, coarse + 1.0, 0.1)
    return fine, level


def octave_below_level(signal, rate, expected):
    """How loud the octave below is: a note played an octave too low has its fundamental there
    and its second harmonic where the expected note would be."""
    semitone = 2 ** (1 / 12)
    level, _ = strongest(signal, rate, expected / 2 / semitone, expected / 2 * semitone, 1.0)
    return level


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    path, rate, expected = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    tolerance = float(sys.argv[4]) if len(sys.argv) > 4 else 35.0
    spliced, places = splice_dropouts(read_samples(path))
    where = note_segment(spliced, rate)
    if where is None:
        print(f"heard nothing (expected {expected:.1f} Hz)")
        return 1
    segment = spliced[where]
    span = places[where.stop - 1] - places[where.start] + 1 if segment else 1
    lost = 1 - len(segment) / span
    if lost > MAX_LOST or len(segment) < rate * SEGMENT_SECONDS * 0.9:
        print(f"the sound was starved: {lost:.0%} of it lost to dropouts "
              f"(expected {expected:.1f} Hz)")
        return 2
    signal, new_rate = low_pass_decimate(segment, rate)
    signal = hann(signal)
    heard, level = peak_near(signal, new_rate, expected)
    cents = 1200 * math.log2(heard / expected)
    below = octave_below_level(signal, new_rate, expected) / level
    print(f"heard {heard:.1f} Hz (expected {expected:.1f} Hz, {cents:+.0f} cents; "
          f"octave below at {below:.0%} of it; {lost:.0%} lost to dropouts)")
    return 0 if abs(cents) <= tolerance and below < 0.5 else 1


if __name__ == "__main__":
    sys.exit(main())
