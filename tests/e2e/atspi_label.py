#!/usr/bin/python3
# Reads a message box of the program as a screen reader does, through AT-SPI: waits until a
# label of the program reads TEXT exactly, and prints what the labels of its windows read
# when none does.
# Usage: atspi_label.py TEXT
import sys
import time

import pyatspi

from atspi_tree import program_objects

expected = sys.argv[1]


def labels():
    found = []
    for node in program_objects():
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
