#!/usr/bin/env python3
"""Asks an X window to close with a WM_DELETE_WINDOW message, as a window manager's close button
does: the test display runs no window manager, and xdotool's windowclose destroys the window.

usage: close_window.py WINDOW_ID   (DISPLAY names the display)
"""
import ctypes
import ctypes.util
import sys

from ctypes import c_int, c_long, c_ulong, c_void_p


class ClientMessage(ctypes.Structure):  # padded to the 24 longs of an XEvent
    _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                ("format", c_int), ("data", c_long * 5), ("pad", c_long * 24)]


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    window = int(sys.argv[1], 0)
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = c_void_p
    x11.XInternAtom.restype = c_ulong
    display = c_void_p(x11.XOpenDisplay(None))
    if not display.value:
        sys.exit("cannot open the display")
    event = ClientMessage(type=33, window=window, format=32)  # 33: ClientMessage
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)  # data[1] = CurrentTime
    sent = x11.XSendEvent(display, c_ulong(window), 0, c_long(0), ctypes.byref(event))
    x11.XCloseDisplay(display)  # flushes the request
    return 0 if sent else 1


if __name__ == "__main__":
    sys.exit(main())
