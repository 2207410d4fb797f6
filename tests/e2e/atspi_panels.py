#!/usr/bin/python3
# Reads the status bar's panels through AT-SPI with their boxes on the screen, once the last
# panel reads PANEL, and checks that the shown panels lie side by side without overlapping and
# inside the status bar. Prints each panel's box and text.
# Usage: atspi_panels.py PANEL
import sys
import time

import pyatspi

from atspi_tree import program_objects, status_panels

panel = sys.argv[1]


def boxes():
    for node in program_objects():
        if node.getRole() != pyatspi.ROLE_STATUS_BAR:
            continue
        bar = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        shown = []
        for child in status_panels(node):
            if not child.getState().contains(pyatspi.STATE_SHOWING):
                continue
            e = child.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            shown.append((e.x, e.y, e.width, e.height, child.name))
        return bar, shown
    return None, []


deadline = time.time() + 15
bar, shown = None, []
while time.time() < deadline:
    bar, shown = boxes()
    if shown and shown[-1][4] == panel:
        break
    time.sleep(0.3)
else:
    print("the last panel never read %r: %r" % (panel, shown))
    sys.exit(1)

faults = []
for (x, _, w, _, name), (nx, _, _, _, next_name) in zip(shown, shown[1:]):
    if x + w > nx:
        faults.append("%r overlaps %r" % (name, next_name))
for x, _, w, _, name in shown:
    if w <= 0 or x < bar.x or x + w > bar.x + bar.width:
        faults.append("%r lies outside the status bar" % name)
for box in shown:
    print("%d+%d %r" % (box[0], box[2], box[4]))
if faults:
    print("; ".join(faults))
    sys.exit(1)
