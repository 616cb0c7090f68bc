#!/usr/bin/env python3
"""The Windows program under Wine, played with real key presses.

    window_test.py PLINKORA_EXE

Runs in a desktop made for it: DISPLAY with a window manager, WINEPREFIX with the MIDI capture
device, and MIDI_CAPTURE naming the file the device writes each MIDI word to. Keys must light
their caps, sound their notes, change the key signature (Alt+D), and a recorded take saved from
the window must hold the scan codes, octave shifts and key signature that were played.
"""

import os
import struct
import subprocess
import sys
import tempfile
import time

EXE = os.path.abspath(sys.argv[1])
CAPTURE = os.environ["MIDI_CAPTURE"]

# The left bevel of a pressed cap, by its tint: no shift, an octave up, an octave down.
BLUE, PINK, GREEN = (80, 143, 207), (192, 80, 105), (93, 187, 111)
KEY_D_MAJOR = 1298
SCAN_A, SCAN_S, SCAN_D = 0x1E, 0x1F, 0x20


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True).stdout


def wait_for(what, check, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = check()
        if result:
            return result
        time.sleep(0.2)
    sys.exit(f"FAIL: {what} within {seconds} s")


def find_window(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name],
                           capture_output=True, text=True)
    return found.stdout.split()[0] if found.returncode == 0 and found.stdout.split() else None


def pixels(window):
    """Counts of the three tints in the window's picture."""
    raw = subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    counts = {BLUE: 0, PINK: 0, GREEN: 0}
    for i in range(0, len(raw) - 2, 3):
        colour = (raw[i], raw[i + 1], raw[i + 2])
        if colour in counts:
            counts[colour] += 1
    return counts


def words():
    with open(CAPTURE) as capture:
        return [line.strip() for line in capture if line.strip()]


def press(window, key, modifier=None, tint=None):
    """Holds a key (with Shift or Ctrl held first) as typed on the keyboard, to the window with
    the focus, checks the lit cap, lets go."""
    if modifier:
        xdotool("keydown", modifier)
    xdotool("keydown", key)
    if tint:
        wait_for(f"{key} lit in {tint}", lambda: pixels(window)[tint] > 0, 5)
    xdotool("keyup", key)
    if modifier:
        xdotool("keyup", modifier)
    time.sleep(0.2)


def menu(digit, letter):
    xdotool("key", f"alt+{digit}")
    time.sleep(0.4)
    xdotool("key", letter)
    time.sleep(0.4)


def complete_midi(path):
    data = open(path, "rb").read()
    return data if data.startswith(b"MThd") and data.endswith(b"\xff\x2f\x00") else None


def read_take(path):
    data = open(path, "rb").read()
    assert data[:4] == b"RIFF" and data[8:12] == b"PL  ", "not a Plinkora document"
    fmt = data.index(b"fmt ")
    count, key_signature, bourdon = struct.unpack_from("<3I", data, fmt + 8)
    start = data.index(b"data") + 8
    events = [struct.unpack_from("<IIIi", data, start + 16 * i) for i in range(count)]
    return key_signature, bourdon, events


def main():
    folder = tempfile.mkdtemp(prefix="plinkora-window-")
    # Tips without the box at start-up: the test plays at once.
    with open(os.path.join(folder, "tips.txt"), "w") as tips:
        tips.write("A tip.\r\n")
    with open(os.path.join(folder, "tips.log"), "wb") as log:
        log.write(struct.pack("<ii", 0, 0))
    open(CAPTURE, "w").close()
    env = dict(os.environ, WINEDLLOVERRIDES="midimap=n", WINEDEBUG="-all")
    program = subprocess.Popen(["wine", EXE], cwd=folder, env=env)
    try:
        window = wait_for("the main window", lambda: find_window(r"^Plinkora - \[Untitled\]$"))
        xdotool("windowactivate", "--sync", window)
        time.sleep(0.5)
        assert pixels(window)[BLUE] == 0, "a cap is lit before any key"

        press(window, "a", tint=BLUE)
        assert "90 3c 7f" in words() and "80 3c 00" in words(), words()
        print("A (scan code 0x1E) lit its cap and sounded:", words())

        # The device pulled out: the next key finds it gone, and the window shows it closed with
        # the warning. Put back, it opens again by itself, the warning goes and keys play. The
        # pedal held as it went is lifted on its return, before All Notes Off.
        xdotool("keydown", "space")
        time.sleep(0.2)
        open(CAPTURE + ".unplugged", "w").close()
        press(window, "a")
        wait_for("the lost device's warning", lambda: find_window("^Plinkora$"), 10)
        xdotool("keyup", "space")
        held = len(words())
        os.remove(CAPTURE + ".unplugged")
        wait_for("the warning withdrawn", lambda: not find_window("^Plinkora$"), 10)
        back = [word for word in words()[held:] if word != "reset"]  # the device's own reset
        assert "b0 40 7f" in words()[:held], words()
        assert back[:2] == ["b0 40 00", "b0 7b 00"], back
        xdotool("windowactivate", "--sync", window)
        heard = len(words())
        press(window, "a", tint=BLUE)
        assert "90 3c 7f" in words()[heard:], words()
        print("Unplugged and back: warned, reopened by itself, and A sounded again")

        xdotool("key", "alt+d")
        time.sleep(0.3)
        menu(4, "r")  # Begin to Record
        press(window, "a", tint=BLUE)
        press(window, "s", "shift", PINK)
        press(window, "d", "ctrl", GREEN)
        menu(4, "e")  # End Recording
        played = words()
        for word in ("90 3e 7f", "90 4c 7f", "90 36 7f", "80 36 00"):
            assert word in played, f"{word} missing from {played}"
        print("Under 1=D: A, Shift+S and Ctrl+D sounded", played[-6:])

        take = os.path.join(folder, "take.plk")
        menu(4, "a")  # Save as
        dialog = wait_for("the Save As dialog", lambda: find_window("^Save"))
        xdotool("windowactivate", "--sync", dialog)
        xdotool("type", "--delay", "20", "Z:" + take.replace("/", "\\"))
        xdotool("key", "Return")
        wait_for("the take saved", lambda: os.path.exists(take) and os.path.getsize(take) > 104)
        window = wait_for("the title", lambda: find_window(r"^Plinkora - \[take\.plk\]$"))

        key_signature, bourdon, events = read_take(take)
        assert key_signature == KEY_D_MAJOR, key_signature
        assert bourdon == 0
        notes = [(message, (param >> 16) & 0xFF, shift) for _, message, param, shift in events
                 if (param >> 16) & 0xFF in (SCAN_A, SCAN_S, SCAN_D)]
        expected = [(256, SCAN_A, 0), (257, SCAN_A, 0), (256, SCAN_S, 1), (257, SCAN_S, 1),
                    (256, SCAN_D, -1), (257, SCAN_D, -1)]
        assert notes == expected, notes
        print("take.plk: key signature", key_signature, "events", notes)

        # The export dialog's second file type writes the take as played: Shift+S an octave up.
        exported = os.path.join(folder, "take.mid")
        xdotool("windowactivate", "--sync", window)
        menu(4, "x")  # Export Midi file
        dialog = wait_for("the export dialog", lambda: find_window("^Save"))
        xdotool("windowactivate", "--sync", dialog)
        xdotool("type", "--delay", "20", "Z:" + exported.replace("/", "\\"))
        xdotool("key", "Tab", "Down", "Return")
        wait_for("the take exported", lambda: os.path.exists(exported))
        midi = wait_for("a whole MIDI file", lambda: complete_midi(exported))
        assert bytes([0x90, 0x4C]) in midi and bytes([0x90, 0x36]) in midi, midi.hex()
        print("take.mid as played:", len(midi), "bytes, Shift+S as note 0x4c")

        window = find_window(r"^Plinkora - ")
        xdotool("windowactivate", "--sync", window)
        xdotool("key", "alt+F4")
        program.wait(timeout=20)
        print("PASS")
    finally:
        if program.poll() is None:
            program.kill()


if __name__ == "__main__":
    main()
