#!/usr/bin/python3
# Reads the full-screen window's text as a screen reader does: the window named "Full Screen"
# holds a text that contains the expected line, and none of the notation it must not show.
# Usage: atspi_fullscreen.py LINE NOT_SHOWN
import sys
import time

from atspi_tree import program_objects, walk

expected, hidden = sys.argv[1], sys.argv[2]


def full_screen_texts():
    for window in program_objects():
        if window.name != "Full Screen":
            continue
        for node in walk(window):
            try:
                yield node.queryText()
            except Exception:
                pass


deadline = time.time() + 20
seen = "no text holding %r in a window named 'Full Screen'" % expected
while time.time() < deadline:
    for text in full_screen_texts():
        whole = text.getText(0, -1)
        if expected in whole:
            if hidden in whole:
                print("the full-screen text shows %r" % hidden)
                sys.exit(1)
            print("found %r in %d characters" % (expected, text.characterCount))
            sys.exit(0)
    time.sleep(0.5)
print(seen)
sys.exit(1)
