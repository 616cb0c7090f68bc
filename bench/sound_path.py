#!/usr/bin/env python3
"""Key presses and their analysis for bench/sound_path.sh.

  sound_path.py press PLAN PRESSES_FILE   types key A on the X display (XTEST) by a plan, noting
                                          when each press reached the server (CLOCK_MONOTONIC)
  sound_path.py analyse RAW TIMING PRESSES_FILE
                                          prints key-to-sound or dropout figures

Plans: "latency" taps after long silences and in rows; "held" holds ten notes of a second.
"""
import bisect
import ctypes
import os
import statistics
import sys
import time

RATE = 48000
AUDIBLE = 100           # 16-bit sample value, about -50 dBFS
MISSED = -32768         # what pipewire_recorder puts where it missed a cycle: no sound, no gap
# SOUND_PATH_SILENCE_S and SOUND_PATH_SILENCES set how long and how many the silences before a
# first note are (20 s, twice); the first note of a take follows a silence of about 7 s.
SILENCE_S = float(os.environ.get("SOUND_PATH_SILENCE_S", "20"))
SILENCES = int(os.environ.get("SOUND_PATH_SILENCES", "2"))


def xtest():
    x11 = ctypes.CDLL("libX11.so.6")
    xtst = ctypes.CDLL("libXtst.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XStringToKeysym.restype = ctypes.c_ulong
    x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(b"a"))

    def key(down):
        xtst.XTestFakeKeyEvent(display, code, 1 if down else 0, 0)
        x11.XSync(display, 0)
        return time.monotonic_ns()
    return key


def press(plan, out):
    key = xtest()
    notes = []  # (kind, press ns, release ns)

    def tap(kind, hold):
        down = key(True)
        time.sleep(hold)
        notes.append((kind, down, key(False)))

    if plan == "latency":
        for cycle in range(SILENCES + 1):
            if cycle:
                time.sleep(SILENCE_S)
            tap("after-silence", 0.1)
            for _ in range(10):
                time.sleep(0.7)
                tap("in-a-row", 0.1)
    else:
        for _ in range(10):
            tap("held", 1.0)
            time.sleep(0.6)
    with open(out, "w") as f:
        for kind, down, up in notes:
            f.write(f"{kind} {down} {up}\n")


def fit(timing):
    """Least squares of heard time against sample index: the monitor's clock runs a little
    apart from ours, so no single offset holds for a whole recording."""
    xs, ys = [], []
    with open(timing) as f:
        for line in f:
            frames, ns = line.split()
            xs.append(int(frames) - 1)
            ys.append(int(ns) / 1e9)
    mx, my = statistics.fmean(xs), statistics.fmean(ys)
    slope = sum((x - mx) * (y - my) for x, y in zip(xs, ys)) / sum((x - mx) ** 2 for x in xs)
    return (lambda s: my + slope * (s - mx)), (lambda t: int(mx + (t - my) / slope)), slope


def cycles(timing):
    """PipeWire's recorder notes each cycle on the graph's own clock, which is ours: every sample
    is placed by the cycle it came in, with no fit that gaps (the graph resting) would bend."""
    ends, times = [], []
    with open(timing) as f:
        for line in f:
            frames, ns = line.split()
            ends.append(int(frames) - 1)
            times.append(int(ns) / 1e9)

    def to_time(s):
        i = min(bisect.bisect_left(ends, s), len(ends) - 1)
        return times[i] - (ends[i] - s) / RATE

    def to_sample(t):
        i = min(bisect.bisect_left(times, t), len(times) - 1)
        return int(ends[i] - (times[i] - t) * RATE)
    return to_time, to_sample, 1 / RATE


def onset(samples, start, stop):
    """The first audible sample from start that clearly rises above what sounded just before."""
    before = max((abs(x) for x in samples[max(0, start - RATE // 100):start] if x != MISSED),
                 default=0)
    level = max(AUDIBLE, 3 * before)
    for i in range(max(start, 0), min(stop, len(samples))):
        if samples[i] != MISSED and abs(samples[i]) >= level:
            return i
    return None


def analyse(raw, timing, presses):
    import array
    samples = array.array("h")
    with open(raw, "rb") as f:
        samples.frombytes(f.read())
    on_graph_clock = os.environ.get("SOUND_PATH_SERVER") == "pipewire"
    to_time, to_sample, slope = (cycles if on_graph_clock else fit)(timing)
    notes = [line.split() for line in open(presses)]
    results = {}
    for kind, down, up in notes:
        t = int(down) / 1e9
        s = to_sample(t)
        first = onset(samples, s - RATE // 200, s + RATE // 2)
        if first is None:
            results.setdefault(kind, []).append(None)
            continue
        if kind == "held":
            window = RATE // 1000
            end = min(first + int(0.9 * RATE), to_sample(int(up) / 1e9))
            blocks = range(first, end - window, window)
            lost = sum(1 for b in blocks if not any(samples[b:b + window]))
            results.setdefault(kind, []).append(lost / max(1, len(blocks)))
        else:
            results.setdefault(kind, []).append((to_time(first) - t) * 1000)
    if not on_graph_clock:
        print(f"  monitor clock against ours: {(1 / slope / RATE - 1) * 1e3:+.2f} ms per second")
    if "held" in results:
        shares = results["held"]
        heard = [x for x in shares if x is not None]
        gaps = sum(1 for x in heard if x > 0)
        print(f"  dropouts: {statistics.fmean(heard) * 100:.2f}% of the sound lost over "
              f"{len(heard)} held notes (worst {max(heard) * 100:.2f}%), {gaps} notes with a gap"
              + (f", {len(shares) - len(heard)} not heard" if len(heard) < len(shares) else ""))
        return
    row = [x for x in results.get("in-a-row", []) if x is not None]
    after = [x for x in results.get("after-silence", []) if x is not None]
    if not row:
        print("  no note was heard")
        return
    print(f"  key to sound, notes in a row: median {statistics.median(row):.1f} ms, "
          f"mean {statistics.fmean(row):.1f} ms, jitter (sd) {statistics.pstdev(row):.1f} ms, "
          f"range {min(row):.1f}-{max(row):.1f} ms over {len(row)}")
    print(f"  key to sound, first note after silence (7 s, then {SILENCE_S:g} s): "
          + ", ".join(f"{x:.1f}" for x in after) + " ms"
          + (f" (median {statistics.median(after) - statistics.median(row):+.1f} ms against "
             "notes in a row)" if after else ""))


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "press":
        press(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 5 and sys.argv[1] == "analyse":
        analyse(*sys.argv[2:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
