#!/usr/bin/python3
# Reads the full-screen window's text as a screen reader does: the window named "Full Screen"
# holds a text that contains the expected line, and none of the notation it must not show.
# Usage: atspi_fullscreen.py LINE NOT_SHOWN
import sys
import time

import pyatspi

expected, hidden = sys.argv[1], sys.argv[2]


def texts(node, depth=0):
    if node is None or depth > 40:
        return
    try:
        yield node.queryText()
    except Exception:
        pass
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from texts(child, depth + 1)


def full_screen():
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or "orlimbo" not in (app.name or "").lower():
            continue
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window is not None and window.name == "Full Screen":
                return window
    return None


deadline = time.time() + 20
seen = "no window named 'Full Screen'"
while time.time() < deadline:
    window = full_screen()
    if window is not None:
        for text in texts(window):
            whole = text.getText(0, -1)
            if expected in whole:
                if hidden in whole:
                    print("the full-screen text shows %r" % hidden)
                    sys.exit(1)
                print("found %r in %d characters" % (expected, text.characterCount))
                sys.exit(0)
        seen = "the full-screen window holds no text with %r" % expected
    time.sleep(0.5)
print(seen)
sys.exit(1)
