#!/usr/bin/env python3
"""plinkora-convert.exe under Wine against the Linux plinkora-convert: run on the same
documents in two folders laid out alike, they must leave the same bytes in every file and say
the same bytes with the same exit status. Then what only the Windows build refuses: a .wav
target (it has no synthesizer) and Windows' device names.

usage: converter_on_windows.py EMULATOR WINDOWS_CONVERT [LINUX_CONVERT]"""

import os
import random
import struct
import subprocess
import sys
import tempfile

EMULATOR, WINDOWS = sys.argv[1], sys.argv[2]
LINUX = sys.argv[3] if len(sys.argv) > 3 and sys.argv[3] else None
NAME = "曲子 é"
results = {"passed": 0, "failed": 0}


def check(condition, what):
    results["passed" if condition else "failed"] += 1
    print(("ok: " if condition else "FAIL: ") + what)


def chunk(name, data):
    return name + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def document(events, key_signature=1297, bourdon=0):
    data = b"".join(struct.pack("<IIIi", d, m, k << 16, s) for d, m, k, s in events)
    info = b"INFO" + chunk(b"ISFT", b"PL by Orak\0") + chunk(b"ISCD", b"2024-03-09\0")
    fmt = struct.pack("<6I", len(events), key_signature, bourdon, 0, 0, 0)
    return chunk(b"RIFF", b"PL  " + chunk(b"LIST", info) + chunk(b"fmt ", fmt)
                 + chunk(b"data", data))


def long_performance():
    """Every key of the main block, pressed and released with every shift, long delays too."""
    rng = random.Random(16)
    events = []
    for _ in range(3000):
        key, shift = rng.randint(2, 53), rng.choice((-1, 0, 1))
        delay = rng.choice((0, 3, 40, 500, 70000))
        events += [(delay, 256, key, shift), (rng.randint(0, 900), 257, key, shift)]
    return events


def lay_out(folder):
    """The same inputs in each folder."""
    song = [(1000, 256, 30, 0), (500, 257, 30, 0), (30000, 256, 31, 1), (65000, 257, 31, 1),
            (0, 256, 37, -1), (3, 257, 37, -1)]
    files = {
        "song.plk": document(song, 1298, 1),
        NAME + ".plk": document(song, 1332, 0),
        "long.plk": document(long_performance(), 1305, 1),
        "oddkey.plk": document(song, 1306),
        "empty.plk": b"",
        "kept.mid": b"earlier",
    }
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
    os.mkdir(os.path.join(folder, "folder.mid"))


COMPARED = [
    ["song.plk", "song.mid"],
    ["--key-signature", "6=#a", "--program", "40", "--bourdon", "off", "song.plk", "opt.mid"],
    ["--as-played", "song.plk", "played.mid"],
    ["long.plk", "long.mid"],
    ["--as-played", "--program=127", "long.plk", "long-played.midi"],
    ["--info", "song.plk"],
    ["--info", "long.plk"],
    [NAME + ".plk", NAME + ".mid"],
    ["--info", NAME + ".plk"],
    ["缺 é.plk", "x.mid"],
    ["oddkey.plk", "kept.mid"],
    ["empty.plk", "empty.mid"],
    ["song.plk", "folder.mid"],
    ["song.plk", os.path.join("gone", "x.mid")],
    [],
    ["--program", "200", "a.plk", "b.mid"],
    ["song.plk", "song.txt"],
    ["--help"],
]


def run_windows(folder, *args):
    env = dict(os.environ, WINEDEBUG="-all")
    return subprocess.run([EMULATOR, WINDOWS, *args], cwd=folder, env=env,
                          capture_output=True, timeout=120)


def run_linux(folder, *args):
    return subprocess.run([LINUX, *args], cwd=folder, capture_output=True, timeout=120)


def contents(folder):
    """Every file below folder by its relative name, with its bytes."""
    found = {}
    for top, folders, names in os.walk(folder):
        for name in folders + names:
            path = os.path.join(top, name)
            relative = os.path.relpath(path, folder)
            if os.path.isdir(path):
                found[relative] = "folder"
            else:
                with open(path, "rb") as f:
                    found[relative] = f.read()
    return found


def compare(work):
    linux, windows = os.path.join(work, "linux"), os.path.join(work, "windows")
    for folder in (linux, windows):
        os.mkdir(folder)
        lay_out(folder)
    for args in COMPARED:
        want, got = run_linux(linux, *args), run_windows(windows, *args)
        check((got.returncode, got.stdout, got.stderr) == (want.returncode, want.stdout,
                                                          want.stderr),
              f"{args}: status {got.returncode}, the same messages as on Linux"
              + ("" if got.stderr == want.stderr else f": {got.stderr!r} vs {want.stderr!r}"))
    check(contents(windows) == contents(linux),
          "every file the same, byte for byte, and nothing else left: "
          + str(sorted(set(contents(windows)) ^ set(contents(linux)))))


def windows_refusals(work):
    folder = os.path.join(work, "windows-only")
    os.mkdir(folder)
    lay_out(folder)
    before = contents(folder)
    result = run_windows(folder, "song.plk", "song.wav")
    check(result.returncode == 1 and result.stdout == b"" and result.stderr ==
          b"Can not write song.wav: this plinkora-convert has no synthesizer, "
          b"so it writes .mid files only.\n", f"a .wav target is refused: {result.stderr!r}")
    for device in ("CON.mid", "nul.mid", "Com1.midi", "aux .mid", "LPT2.MID"):
        result = run_windows(folder, "song.plk", device)
        check(result.returncode == 1 and result.stderr ==
              f"Can not open file {device} to write.\n".encode(),
              f"{device} is refused as a device: {result.stderr!r}")
    result = run_windows(folder, "--info", "NUL")
    check(result.returncode == 1 and result.stderr == b"Can not find or open file NUL.\n",
          f"a device is not read as a document: {result.stderr!r}")
    check(contents(folder) == before, "the refusals changed nothing")


def main():
    with tempfile.TemporaryDirectory() as work:
        if LINUX:
            compare(work)
        else:
            print("not compared: no Linux plinkora-convert was given")
        windows_refusals(work)
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
