#!/usr/bin/env python3
"""Types a key combination on the display, as xdotool does, and measures how long the window
takes to show it: the milliseconds until its picture first changes, or the time limit when it
never does. A window whose thread waits on something else shows nothing meanwhile.

usage: answer_time.py WINDOW_ID KEYS [LIMIT_SECONDS]   (KEYS such as alt+d; DISPLAY names the
display). Prints the milliseconds; exits 1 when the window showed nothing within the limit.
"""
import ctypes
import ctypes.util
import sys
import time

from ctypes import c_char_p, c_int, c_uint, c_ulong, c_void_p

KEYSYMS = {"alt": "Alt_L", "shift": "Shift_L", "ctrl": "Control_L"}
ALL_PLANES = 0xFFFFFFFF
Z_PIXMAP = 2


class XImage(ctypes.Structure):  # the leading fields, enough to read the pixels
    _fields_ = [("width", c_int), ("height", c_int), ("xoffset", c_int), ("format", c_int),
                ("data", c_void_p), ("byte_order", c_int), ("bitmap_unit", c_int),
                ("bitmap_bit_order", c_int), ("bitmap_pad", c_int), ("depth", c_int),
                ("bytes_per_line", c_int), ("bits_per_pixel", c_int)]


class Display:
    def __init__(self):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        self.xtst = ctypes.CDLL(ctypes.util.find_library("Xtst") or "libXtst.so.6")
        self.x11.XOpenDisplay.restype = c_void_p
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [c_void_p, c_ulong, c_int, c_int, c_uint, c_uint, c_ulong,
                                       c_int]
        self.x11.XStringToKeysym.restype = c_ulong
        self.x11.XStringToKeysym.argtypes = [c_char_p]
        self.x11.XKeysymToKeycode.argtypes = [c_void_p, c_ulong]
        self.x11.XFree.argtypes = [c_void_p]
        self.xtst.XTestFakeKeyEvent.argtypes = [c_void_p, c_uint, c_int, c_ulong]
        self.display = c_void_p(self.x11.XOpenDisplay(None))
        if not self.display.value:
            sys.exit("cannot open the display")

    def picture(self, window, width, height):
        image = self.x11.XGetImage(self.display, window, 0, 0, width, height, ALL_PLANES,
                                   Z_PIXMAP)
        if not image:
            return None
        pixels = ctypes.string_at(image.contents.data,
                                  image.contents.bytes_per_line * image.contents.height)
        self.x11.XFree(image.contents.data)
        self.x11.XFree(image)
        return pixels

    def size(self, window):
        root, x, y = c_ulong(), c_int(), c_int()
        width, height, border, depth = c_uint(), c_uint(), c_uint(), c_uint()
        self.x11.XGetGeometry(self.display, c_ulong(window), ctypes.byref(root), ctypes.byref(x),
                              ctypes.byref(y), ctypes.byref(width), ctypes.byref(height),
                              ctypes.byref(border), ctypes.byref(depth))
        return width.value, height.value

    def key(self, name, down):
        keysym = self.x11.XStringToKeysym(KEYSYMS.get(name, name).encode())
        keycode = self.x11.XKeysymToKeycode(self.display, keysym)
        self.xtst.XTestFakeKeyEvent(self.display, keycode, 1 if down else 0, 0)
        self.x11.XFlush(self.display)


def main():
    if len(sys.argv) not in (3, 4):
        sys.exit(__doc__)
    window = int(sys.argv[1], 0)
    keys = sys.argv[2].split("+")
    limit = float(sys.argv[3]) if len(sys.argv) == 4 else 30.0
    display = Display()
    width, height = display.size(window)
    before = display.picture(window, width, height)
    for name in keys[:-1]:
        display.key(name, True)
    start = time.monotonic()
    display.key(keys[-1], True)
    display.key(keys[-1], False)
    for name in reversed(keys[:-1]):
        display.key(name, False)
    while time.monotonic() - start < limit:
        if display.picture(window, width, height) != before:
            print(f"{(time.monotonic() - start) * 1000:.0f}")
            return 0
        time.sleep(0.002)
    print(f"{limit * 1000:.0f}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
