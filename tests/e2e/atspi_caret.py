#!/usr/bin/python3
# Prints the caret offset of the program's text view as a screen reader reads it through
# AT-SPI: the object with the text interface whose text holds MARKER.
# Usage: atspi_caret.py MARKER
import sys
import time

import pyatspi

marker = sys.argv[1]


def find_text(node, depth=0):
    if node is None or depth > 40:
        return None
    try:
        text = node.queryText()
        if marker in text.getText(0, -1):
            return text
    except Exception:
        pass
    try:
        count = node.childCount
    except Exception:
        return None
    for i in range(count):
        try:
            found = find_text(node.getChildAtIndex(i), depth + 1)
        except Exception:
            found = None
        if found:
            return found
    return None


deadline = time.time() + 20
while time.time() < deadline:
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "orlimbo" in (app.name or "").lower():
            text = find_text(app)
            if text:
                print(text.caretOffset)
                sys.exit(0)
    time.sleep(0.5)
print("no accessible text holding %r" % marker, file=sys.stderr)
sys.exit(1)
