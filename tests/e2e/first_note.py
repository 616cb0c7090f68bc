#!/usr/bin/env python3
"""usage: first_note.py press PRESSES_FILE
       first_note.py check RAW RATE PRESSES_FILE

press types key A on the X display (XTEST): notes in a row, then one after SILENCE seconds of
silence, then notes in a row again, noting when each press reached the server. check finds the
notes in raw 16-bit mono audio recorded meanwhile: the note after the silence must be heard,
and come no later after its key than the notes in a row that follow it (their median), beyond
the latest of them and a small margin. Exits 0 when it is, 1 otherwise.
"""
import array
import ctypes
import os
import statistics
import sys
import time

SILENCE = float(os.environ.get("FIRST_NOTE_SILENCE", "5"))
ROW, GAP, HOLD = 5, 0.5, 0.1
MARGIN = 0.010  # seconds beyond the latest note in a row
AUDIBLE = 100


def press(out):
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
        return time.monotonic()

    plan = ["row"] * ROW + ["after-silence"] + ["row"] * ROW
    with open(out, "w") as f:
        for kind in plan:
            time.sleep(SILENCE if kind == "after-silence" else GAP)
            down = key(True)
            time.sleep(HOLD)
            key(False)
            f.write(f"{kind} {down}\n")


def onsets(samples, rate):
    """Where notes begin: a millisecond clearly louder than the ten before it."""
    block = rate // 1000
    peaks = [max(map(abs, samples[i:i + block]), default=0)
             for i in range(0, len(samples) - block, block)]
    found, i = [], 10
    while i < len(peaks):
        if peaks[i] >= max(AUDIBLE, 4 * max(peaks[i - 10:i])):
            start = i * block
            found.append(next(j for j in range(start, start + block) if abs(samples[j]) >= AUDIBLE
                              or j == start + block - 1) / rate)
            i += int(0.2 * 1000)
        else:
            i += 1
    return found


def check(raw, rate, presses):
    samples = array.array("h")
    with open(raw, "rb") as f:
        samples.frombytes(f.read())
    notes = [line.split() for line in open(presses)]
    found = onsets(samples, rate)
    if not found:
        print("no note was heard")
        return 1
    # The first note places the presses on the recording's time; each later note is the first
    # onset near its place (a recording that skipped a moment may show a false one inside a note).
    offset = found[0] - float(notes[0][1])
    heard = []
    for kind, p in notes:
        place = float(p) + offset
        near = [h for h in found if place - 0.1 <= h <= place + 0.25]
        if not near:
            print(f"the {kind} note {len(heard) + 1} was not heard")
            return 1
        heard.append(near[0])
    # Each note's delay up to an unknown constant; the notes in a row just after the silence are
    # the reference, near enough in time that the recording's clock drift does not count.
    delays = [(kind, h - float(p)) for (kind, p), h in zip(notes, heard)]
    first = next(i for i, (kind, _) in enumerate(delays) if kind == "after-silence")
    after = delays[first][1]
    rows = [d for _, d in delays[first + 1:]]
    reference = statistics.median(rows)
    latest_row = max(d - reference for d in rows)
    late = after - reference
    print(f"the note after {SILENCE:g} s of silence sounded {late * 1000:+.1f} ms against the "
          f"notes in a row after it (latest of them {latest_row * 1000:+.1f} ms)")
    return 0 if late <= latest_row + MARGIN else 1


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "press":
        press(sys.argv[2])
    elif len(sys.argv) == 5 and sys.argv[1] == "check":
        sys.exit(check(sys.argv[2], int(sys.argv[3]), sys.argv[4]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
