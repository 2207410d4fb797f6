#!/usr/bin/python3
# Reads a message box of the program as a screen reader does, through AT-SPI: waits until a
# label of the program reads TEXT exactly, and prints what the labels of its windows read
# when none does.
# Usage: atspi_label.py TEXT
import sys
import time

import pyatspi

expected = sys.argv[1]


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    try:
        count = node.childCount
    except Exception:
        return
    for i in range(count):
        try:
            child = node.getChildAtIndex(i)
        except Exception:
            continue
        yield from walk(child, depth + 1)


def labels():
    found = []
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or "orlimbo" not in (app.name or "").lower():
            continue
        for node in walk(app):
            try:
                if node.getRole() == pyatspi.ROLE_LABEL:
                    found.append(node.name)
            except Exception:
                pass
    return found


deadline = time.time() + 15
seen = []
while time.time() < deadline:
    seen = labels()
    if expected in seen:
        print("found %r" % expected)
        sys.exit(0)
    time.sleep(0.3)
print("no label reads %r; the labels read %r" % (expected, seen))
sys.exit(1)
