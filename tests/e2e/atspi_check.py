"""Reads the running Plinkora through the AT-SPI bus as a screen reader does, and checks it.

usage: atspi_check.py TREE_FILE EVENTS_FILE
Writes the main window's tree and the events seen after Alt+D, Alt+S and a held key. Exits 0
when every check passes, 1 otherwise.
"""

import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

TOOLBAR = [
    "Acoustic Grand Piano", "Dulcimer", "Church Organ", "Acoustic Guitar (steel)",
    "Acoustic Bass", "Violin", "Orchestra Hit", "Trombone", "Tenor Sax", "Flute",
    "FX 8 (sci-fi)", "Koto", "Steel Drums", "Bird Tweet",
]
failures = []


def check(condition, what):
    print(("ok: " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)


def main_window(timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or (app.name or "").lower() != "plinkora":
                continue
            for window in app:
                if window is not None and (window.name or "").startswith("Plinkora - ["):
                    return window
        time.sleep(0.2)
    return None


def nodes(node):
    yield node
    for child in node:
        if child is not None:
            yield from nodes(child)


def text_of(node):
    try:
        text = node.queryText()
        return text.getText(0, -1)
    except NotImplementedError:
        return None


def value_of(node):
    try:
        return int(node.queryValue().currentValue)
    except NotImplementedError:
        return None


def describe(node):
    parts = [f"{node.getRoleName()}: '{node.name}'"]
    value = value_of(node)
    if value is not None:
        parts.append(f"value {value}")
    text = text_of(node)
    if text is not None and node.getRoleName() in ("label", "static", "text"):
        parts.append(f"text '{text}'")
    if node.getState().contains(pyatspi.STATE_PRESSED):
        parts.append("pressed")
    if node.getRoleName() in ("grouping", "panel") and node.childCount > 8:
        parts.append(f"{node.childCount} children")
    return ", ".join(parts)


def dump(node, out, depth=0):
    out.write("  " * depth + describe(node) + "\n")
    # A menu's items are Qt's own and many; the menus themselves suffice.
    if node.getRoleName() == "menu":
        return
    for child in node:
        if child is not None:
            dump(child, out, depth + 1)


def find(window, role, name=None, text_part=None):
    for node in nodes(window):
        if node.getRoleName() != role:
            continue
        if name is not None and node.name != name:
            continue
        if text_part is not None and text_part not in (text_of(node) or ""):
            continue
        return node
    return None


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=False)


def wait_for(condition, timeout=3.0):
    end = time.time() + timeout
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.1)
    return condition()


def main():
    tree_file, events_file = sys.argv[1], sys.argv[2]
    window = main_window()
    if window is None:
        print("FAIL: the main window never showed on the AT-SPI bus")
        return 1
    with open(tree_file, "w") as out:
        dump(window, out)

    buttons = [n.name for n in nodes(window)
               if n.getRoleName() == "push button" and n.name in TOOLBAR]
    check(buttons == TOOLBAR, f"toolbar buttons named after their instruments: {buttons}")
    force, freq = find(window, "scroll bar", "Force"), find(window, "scroll bar", "Freq")
    check(force is not None and value_of(force) == 127, "Force bar at 127")
    check(freq is not None and value_of(freq) == 0, "Freq bar at 0")
    keyboard = find(window, "grouping", "Keyboard") or find(window, "panel", "Keyboard")
    keys = [k.name for k in keyboard] if keyboard is not None else []
    check(len(keys) == 45 and "A, 1" in keys and "R, 1 low" in keys,
          f"the keyboard holds 45 keys: {keys[:3]}...")
    label = find(window, "static", text_part="1=C") or find(window, "label", text_part="1=C")
    check(label is not None, "the label reads 1=C")
    status = find(window, "static", text_part="Track 1") or find(window, "label", text_part="Track 1")
    device_open = status is not None and status.name.startswith("Open")
    print(f"status line: '{status.name if status else None}'")

    events = []

    def heard(event):
        events.append(f"{event.type} source='{event.source.name}' "
                      f"description='{event.source.description}' "
                      f"role={event.source.getRoleName()} detail1={event.detail1} "
                      f"any_data='{event.any_data}'")

    for kind in ("object:property-change:accessible-name",
                 "object:property-change:accessible-description", "object:text-changed",
                 "object:state-changed:showing",
                 "object:state-changed:checked", "object:property-change:accessible-value"):
        pyatspi.Registry.registerEventListener(heard, kind)

    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", r"^Plinkora - \["],
                           capture_output=True, text=True).stdout.split()
    focus = ["windowfocus", "--sync", found[-1]] if found else []
    steps = [
        lambda: xdotool(*focus, "key", "alt+d"),
        lambda: xdotool(*focus, "keydown", "a", "sleep", "0.3", "keyup", "a"),
        lambda: xdotool(*focus, "key", "alt+s"),
        lambda: pyatspi.Registry.stop(),
    ]

    def next_step():
        steps.pop(0)()
        return bool(steps)

    GLib.timeout_add(700, next_step)
    pyatspi.Registry.start()
    with open(events_file, "w") as out:
        out.write("\n".join(events) + "\n")

    check(label is not None and wait_for(lambda: "1=D" in (text_of(label) or "")),
          f"the label reads 1=D after Alt+D: '{text_of(label) if label else None}'")
    check(any("accessible-name" in e and "D Major" in e for e in events),
          "the label announced its change to D Major")
    check(any("accessible-description" in e and "role=frame" in e and "D Major" in e
              for e in events), "the window, which has the focus, told of D Major")
    check(any("showing" in e and "role=notification" in e and "D Major" in e for e in events),
          "a notification, which Orca speaks wherever the focus is, told of D Major")
    if device_open:
        check(any("state-changed:checked" in e and "source='A, 1'" in e for e in events),
              "the key A showed pressed while it sounded")
        check(any("accessible-name" in e and "source='Close, " in e for e in events),
              "closing the device was announced")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
