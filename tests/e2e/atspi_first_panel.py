#!/usr/bin/python3
# Waits up to 15 s until the first status panel, read through AT-SPI as a screen reader reads
# it, holds TEXT; prints the panel.
# Usage: atspi_first_panel.py TEXT
import sys
import time

import pyatspi

from atspi_tree import program_objects, status_panels

text = sys.argv[1]
deadline = time.time() + 15
first = None
while time.time() < deadline:
    for node in program_objects():
        if node.getRole() == pyatspi.ROLE_STATUS_BAR:
            panels = [c.name for c in status_panels(node)]
            first = panels[0] if panels else None
            break
    if first is not None and text in first:
        print("first=%r" % first)
        sys.exit(0)
    time.sleep(0.05)
print("first=%r" % first)
sys.exit(1)
