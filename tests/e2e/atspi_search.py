#!/usr/bin/python3
# Reads the search bar and the first status panel as a screen reader does, through AT-SPI.
#   atspi_search.py open WORD PANEL    waits until the search field is shown holding WORD and
#                                      the first status panel reads PANEL
#   atspi_search.py closed WORD PANEL  waits until the field is hidden, still holding WORD,
#                                      and the first status panel no longer reads PANEL
#   atspi_search.py hint - TEXT        waits until a control's tool-tip (its description) holds TEXT
import sys
import time

import pyatspi

from atspi_tree import program_objects, status_panels

mode, word, panel = sys.argv[1], sys.argv[2], sys.argv[3]


def read_window():
    field, first = None, None
    for node in program_objects():
        try:
            role = node.getRole()
            if role == pyatspi.ROLE_STATUS_BAR and first is None:
                labels = [c.name for c in status_panels(node)]
                first = labels[0] if labels else None
            elif field is None and role in (pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY) and "検索語" in (node.name or ""):
                showing = node.getState().contains(pyatspi.STATE_SHOWING)
                field = (showing, node.queryText().getText(0, -1))
        except Exception:
            pass
    return field, first


def hints():
    found = []
    for node in program_objects():
        try:
            if node.description:
                found.append(node.description)
        except Exception:
            pass
    return found


deadline = time.time() + 15
if mode == "hint":
    seen = []
    while time.time() < deadline:
        seen = hints()
        if any(panel in h for h in seen):
            print("found %r" % panel)
            sys.exit(0)
        time.sleep(0.3)
    print("no tool-tip holds %r; they read %r" % (panel, seen))
    sys.exit(1)

field, first = None, None
while time.time() < deadline:
    field, first = read_window()
    if field is not None and field[1] == word:
        if mode == "open" and field[0] and first == panel:
            print("field=%r first panel=%r" % (field, first))
            sys.exit(0)
        if mode == "closed" and not field[0] and first is not None and first != panel:
            print("field=%r first panel=%r" % (field, first))
            sys.exit(0)
    time.sleep(0.3)
print("mode %s: the field (showing, text) is %r; the first panel reads %r" % (mode, field, first))
sys.exit(1)
