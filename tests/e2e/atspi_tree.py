# Shared by the AT-SPI readers: the program's accessible objects, as a screen reader finds them.
import pyatspi


def walk(node, depth=0):
    """Every object below node, node first, skipping any that vanish while walked."""
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


def program_objects():
    """Every accessible object of the running program's windows."""
    for app in pyatspi.Registry.getDesktop(0):
        if app is None or "orlimbo" not in (app.name or "").lower():
            continue
        yield from walk(app)


def status_panels(bar):
    """The panels (labels) of a status bar, left to right."""
    return [c for c in walk(bar) if c is not bar and c.getRole() == pyatspi.ROLE_LABEL]
