#!/usr/bin/python3
# Reads the program's window as a screen reader does, through AT-SPI: the text of the view and
# the panels of the status bar. Waits until the view holds LINE and the last status panel reads
# PANEL, then prints the panels. An empty LINE leaves the view unread (a large text is slow to
# fetch) and waits for the panel alone.
# Usage: atspi_status.py LINE PANEL
import sys
import time

import pyatspi

from atspi_tree import program_objects, status_panels

line, panel = sys.argv[1], sys.argv[2]


def read_window():
    view, panels = (None if line else ""), None
    for node in program_objects():
        role = node.getRole()
        if role == pyatspi.ROLE_STATUS_BAR and panels is None:
            panels = [c.name for c in status_panels(node)]
        elif view is None and role != pyatspi.ROLE_LABEL:
            try:
                text = node.queryText()
                whole = text.getText(0, -1)
                if line in whole:
                    view = whole
            except Exception:
                pass
    return view, panels


deadline = time.time() + 15
view, panels = None, None
while time.time() < deadline:
    view, panels = read_window()
    if view is not None and panels and panels[-1] == panel:
        print("panels=%r" % panels)
        sys.exit(0)
    time.sleep(0.3)
print("view %s %r; panels=%r" % ("holds" if view is not None else "does not hold", line, panels))
sys.exit(1)
