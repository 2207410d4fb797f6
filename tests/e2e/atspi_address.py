#!/usr/bin/python3
# Finds the main window's address bar as a screen reader does, through AT-SPI: the editable text
# inside a combo box. "where" prints the middle of it on the screen, to click into; "reads TEXT"
# waits until it reads TEXT exactly, and prints what it reads when it does not.
# Usage: atspi_address.py where | atspi_address.py reads TEXT
import sys
import time

import pyatspi

from atspi_tree import program_objects, walk


def address_field():
    for node in program_objects():
        try:
            if node.getRole() != pyatspi.ROLE_COMBO_BOX:
                continue
            for inner in walk(node):
                if inner is not node and inner.getState().contains(pyatspi.STATE_EDITABLE):
                    return inner
        except Exception:
            pass
    return None


def text_of(field):
    try:
        text = field.queryText()
        return text.getText(0, -1)
    except Exception:
        return None


deadline = time.time() + 15
field, seen = None, None
while time.time() < deadline:
    field = address_field()
    if field is not None:
        if sys.argv[1] == "where":
            box = field.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
            print(box.x + box.width // 2, box.y + box.height // 2)
            sys.exit(0)
        seen = text_of(field)
        if seen == sys.argv[2]:
            print("reads %r" % seen)
            sys.exit(0)
    time.sleep(0.3)
print("the address bar %s" % ("reads %r" % seen if field is not None else "was not found"))
sys.exit(1)
