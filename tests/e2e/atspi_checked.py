#!/usr/bin/python3
# Waits until the program's check button of the given accessible name reads as checked.
# Usage: atspi_checked.py NAME
import sys
import time

import pyatspi

from atspi_tree import program_objects

name = sys.argv[1]
deadline = time.time() + 15
seen = []
while time.time() < deadline:
    seen = []
    for node in program_objects():
        if node.name != name:
            continue
        states = node.getState()
        checked = states.contains(pyatspi.STATE_CHECKED) or states.contains(pyatspi.STATE_PRESSED)
        seen.append(checked)
        if checked:
            print("checked")
            sys.exit(0)
    time.sleep(0.3)
print("%r: %s" % (name, "not checked" if seen else "not found"))
sys.exit(1)
