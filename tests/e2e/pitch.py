#!/usr/bin/env python3
"""usage: pitch.py FILE RATE EXPECTED_HZ [TOLERANCE_CENTS]

Measures the note in raw 16-bit mono audio in plain Python (no numpy on a fresh machine): the
strongest peak within half an octave of the expected pitch, after the attack; the octave below
must stay quiet, or a note an octave too low would pass on its second harmonic. Exits 0 within
the tolerance, 1 for a wrong or missing note, 2 when dropouts left too little sound to judge.
"""
import array
import math
import sys

DECIMATION, SEGMENT_SECONDS, ATTACK_SECONDS = 5, 0.5, 0.06
MAX_LOST = 0.15  # beyond this the splices, not the note, start to decide the spectrum


def splice_dropouts(samples):
    """The samples without the stretches of silence a server short of a late client's audio plays
    (the stream goes on where it stopped), and for each sample kept its place in the recording."""
    quiet = max(4, max(map(abs, samples), default=0) // 100)
    kept, places, run = [], [], []
    for i, x in enumerate(samples):
        if abs(x) <= quiet:
            run.append(i)
            continue
        if len(run) <= 6:
            kept += [samples[j] for j in run]
            places += run
        run = []
        kept.append(x)
        places.append(i)
    return kept, places


def note_segment(samples, rate):
    """Where the note lies after its attack, as a slice, or None when the recording is silent."""
    frame = rate // 50
    levels = [max(map(abs, samples[i:i + frame])) for i in range(0, len(samples) - frame, frame)]
    if not levels or max(levels) < 200:
        return None
    onset = next(i for i, level in enumerate(levels) if level >= max(levels) * 0.1) * frame
    start = onset + int(ATTACK_SECONDS * rate)
    return slice(start, min(start + int(SEGMENT_SECONDS * rate), len(samples)))


def decimate(segment):
    """Low-pass (windowed sinc), every DECIMATION-th sample, then a Hann window."""
    half, cutoff = 20, 0.4 / DECIMATION
    kernel = [(2 * cutoff if k == 0 else math.sin(2 * math.pi * cutoff * k) / (math.pi * k))
              * (0.54 + 0.46 * math.cos(math.pi * k / half)) for k in range(-half, half + 1)]
    out = [sum(c * x for c, x in zip(kernel, segment[centre - half:centre + half + 1]))
           for centre in range(half, len(segment) - half, DECIMATION)]
    n = len(out)
    return [x * (0.5 - 0.5 * math.cos(2 * math.pi * i / (n - 1))) for i, x in enumerate(out)]


def strongest(signal, rate, low, high, step):
    """(magnitude, frequency) of the strongest frequency from low to high (Goertzel)."""
    best = (0.0, low)
    for hz in (low + step * i for i in range(int((high - low) / step) + 1)):
        coefficient, s1, s2 = 2 * math.cos(2 * math.pi * hz / rate), 0.0, 0.0
        for x in signal:
            s1, s2 = x + coefficient * s1 - s2, s1
        best = max(best, (math.sqrt(max(s1 * s1 + s2 * s2 - coefficient * s1 * s2, 0.0)), hz))
    return best


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    path, rate, expected = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    tolerance = float(sys.argv[4]) if len(sys.argv) > 4 else 35.0
    with open(path, "rb") as f:
        data = f.read()
    samples = array.array("h", data[:len(data) // 2 * 2])
    if sys.byteorder == "big":
        samples.byteswap()
    spliced, places = splice_dropouts(samples)
    where = note_segment(spliced, rate)
    if where is None:
        print(f"heard nothing (expected {expected:.1f} Hz)")
        return 1
    segment = spliced[where]
    lost = 1 - len(segment) / (places[where.stop - 1] - places[where.start] + 1 if segment else 1)
    if lost > MAX_LOST or len(segment) < rate * SEGMENT_SECONDS * 0.9:
        print(f"the sound was starved: {lost:.0%} of it lost to dropouts "
              f"(expected {expected:.1f} Hz)")
        return 2
    signal, low_rate = decimate(segment), rate / DECIMATION
    _, coarse = strongest(signal, low_rate, expected * 2 ** -0.5, expected * 2 ** 0.5, 1.0)
    level, heard = strongest(signal, low_rate, coarse - 1.0, coarse + 1.0, 0.1)
    semitone = 2 ** (1 / 12)
    below = strongest(signal, low_rate, expected / 2 / semitone, expected / 2 * semitone, 1.0)[0]
    cents = 1200 * math.log2(heard / expected)
    print(f"heard {heard:.1f} Hz (expected {expected:.1f} Hz, {cents:+.0f} cents; "
          f"octave below at {below / level:.0%} of it; {lost:.0%} lost to dropouts)")
    return 0 if abs(cents) <= tolerance and below < 0.5 * level else 1


if __name__ == "__main__":
    sys.exit(main())
