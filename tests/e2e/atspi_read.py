#!/usr/bin/python3
# Reads the program's text view as a screen reader does, through AT-SPI: finds the object with
# the text interface that holds the expected first line, checks the caret and the first display
# line, then moves the caret and the selection through the interface and presses a key that
# shows another file, and checks that the caret, selection and text events arrive.
# Usage: atspi_read.py FIRST_LINE NEXT_FIRST_LINE KEY
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

expected, next_expected, key = sys.argv[1], sys.argv[2], sys.argv[3]


def find_text(node, depth=0):
    if node is None or depth > 40:
        return None
    try:
        text = node.queryText()
        if expected in text.getText(0, -1):
            return node, text
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


def find_view():
    deadline = time.time() + 20
    while time.time() < deadline:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "orlimbo" in (app.name or "").lower():
                found = find_text(app)
                if found:
                    return found
        time.sleep(0.5)
    return None


found = find_view()
if not found:
    print("no accessible text holding %r" % expected)
    sys.exit(1)
node, text = found
whole = text.getText(0, -1)
line, start, end = text.getTextAtOffset(0, pyatspi.TEXT_BOUNDARY_LINE_START)
print("role=%s caret=%d count=%d line=%r" % (node.getRoleName(), text.caretOffset, text.characterCount, line))
failures = []
if whole.split("\n", 1)[0] != expected or line.rstrip("\n") != expected:
    failures.append("first line is %r" % line)
if text.caretOffset != 0:
    failures.append("caret at %d, not 0" % text.caretOffset)
if not node.getState().contains(pyatspi.STATE_READ_ONLY) and node.getState().contains(pyatspi.STATE_EDITABLE):
    failures.append("the view is not read-only")

seen = []


def note(event):
    seen.append((event.type, event.detail1, getattr(event, "any_data", None)))


for kind in ("object:text-caret-moved", "object:text-selection-changed", "object:text-changed"):
    pyatspi.Registry.registerEventListener(note, kind)


def act():
    text.setCaretOffset(2)
    text.setSelection(0, 0, 3) if text.getNSelections() else text.addSelection(0, 3)
    subprocess.run(["xdotool", "key", "--clearmodifiers", key], check=False)
    return False


GLib.timeout_add(300, act)
GLib.timeout_add(3000, lambda: pyatspi.Registry.stop())
pyatspi.Registry.start()

types = [t for t, _, _ in seen]
print("events: %s" % sorted(set(types)))
if not any(t == "object:text-caret-moved" and d == 2 for t, d, _ in seen):
    failures.append("no caret-moved event to offset 2")
if "object:text-selection-changed" not in types:
    failures.append("no selection-changed event")
if not any(t.startswith("object:text-changed:insert") and next_expected in str(data) for t, _, data in seen):
    failures.append("no text-changed insert with %r" % next_expected)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
