"""Reads the keys of the running Plinkora through the AT-SPI bus, as a screen reader hears them.

usage: atspi_keys.py NAME      waits up to 10 s for the key right of Caps Lock (the one that
                               plays "1") to be called NAME, such as "Q, 1"; exits 0 when it is
       atspi_keys.py --places  prints where AT-SPI puts the window and the keys
       atspi_keys.py --size    prints the window's width and height as the program has them
"""

import sys
import time

import pyatspi


def main_window(timeout=20):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is None or (app.name or "").lower() != "plinkora":
                continue
            for window in app:
                if window is not None and (window.name or "").startswith("Plinkora - ["):
                    return window
        time.sleep(0.2)
    return None


def keyboard_of(window):
    stack = [window]
    while stack:
        node = stack.pop()
        if node.getRoleName() in ("grouping", "panel") and node.name == "Keyboard":
            return node
        stack.extend(child for child in node if child is not None)
    return None


def home_key_name(keyboard):
    names = [key.name for key in keyboard if key is not None and key.name.endswith(", 1")]
    return names[0] if len(names) == 1 else f"{len(names)} keys play 1: {names}"


def extents(node, kind):
    box = node.queryComponent().getExtents(kind)
    return f"{box.width}x{box.height}+{box.x}+{box.y}"


def main():
    window = main_window()
    keyboard = keyboard_of(window) if window is not None else None
    if keyboard is None:
        print("FAIL: the keyboard never showed on the AT-SPI bus")
        return 1
    if sys.argv[1] == "--size":
        box = window.queryComponent().getExtents(pyatspi.WINDOW_COORDS)
        print(box.width, box.height)
        return 0
    if sys.argv[1] == "--places":
        for node, what in ((window, "window"), (keyboard, "keyboard"), (keyboard[0], "first key")):
            print(f"{what}: screen {extents(node, pyatspi.DESKTOP_COORDS)}, "
                  f"window {extents(node, pyatspi.WINDOW_COORDS)}")
        return 0
    end = time.time() + 10
    while home_key_name(keyboard) != sys.argv[1] and time.time() < end:
        time.sleep(0.2)
    name = home_key_name(keyboard)
    print(f"the key right of Caps Lock is called '{name}'")
    return 0 if name == sys.argv[1] else 1


if __name__ == "__main__":
    sys.exit(main())
