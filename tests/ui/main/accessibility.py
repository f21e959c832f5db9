#!/usr/bin/python3
"""Works the open wave editor as a screen reader user would and checks what the
accessibility bus reports: every edit changes the view's description and announces
the change as an event, and every button has a name.
usage: accessibility.py EDITOR_TITLE"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

BUTTON_ROLES = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
                pyatspi.ROLE_RADIO_BUTTON}
VIEW = "Mark point editor"
announced = [0]  # how often the view announced a new description


def fail(message):
    sys.exit(f"accessibility: {message}")


def on_description_changed(event):
    if event.source is not None and event.source.name == VIEW:
        announced[0] += 1


def pause(seconds):
    """Sleeps while the bus's events are handled."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        while GLib.MainContext.default().iteration(False):
            pass
        time.sleep(0.05)


def wait_for(what, probe, seconds=15):
    """Calls probe until it returns something true; fails naming `what` after `seconds`."""
    end = time.monotonic() + seconds
    while True:
        found = probe()
        if found:
            return found
        if time.monotonic() > end:
            fail(f"gave up waiting for {what}")
        pause(0.2)


def children(node):
    return [c for c in node if c is not None]


def descendants(node):
    for c in children(node):
        yield c
        yield from descendants(c)


def find(node, name, role=None):
    return next((d for d in descendants(node)
                 if d.name == name and role in (None, d.getRole())), None)


def do_action(node, name):
    """Runs one of the actions the bus offers on node, as a screen reader's command would."""
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if name not in names:
        fail(f"{node.getRoleName()} {node.name!r} offers {names}, not {name!r}")
    action.doAction(names.index(name))


def application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((a for a in children(desktop) if a.name == "Stretchwerk"), None)


def press_keys(*keys):
    subprocess.run(["xdotool", "key", *keys], check=True)


def click(view, x_part, y_part):
    """Clicks the view at a share of its width and height, in screen pixels from the bus."""
    box = view.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = box.x + int(box.width * x_part), box.y + int(box.height * y_part)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], check=True)


def expect(view, action, pattern, after):
    """Runs action, then waits until the view announces a change and describes itself so."""
    before = announced[0]
    action()

    def probe():
        return announced[0] > before and re.fullmatch(pattern, view.description)

    end = time.monotonic() + 10
    while not probe():
        if time.monotonic() > end:
            fail(f"after {after} the view describes itself as {view.description!r} "
                 f"(announced {announced[0] - before} changes); expected /{pattern}/")
        pause(0.1)
    print(f"ok: after {after}: {view.description}")


def check_button_names(window):
    buttons = [d for d in descendants(window) if d.getRole() in BUTTON_ROLES]
    if len(buttons) < 20:
        fail(f"only {len(buttons)} buttons in the editor window")
    unnamed = [f"{b.getRoleName()} #{b.getIndexInParent()} in {b.parent.name!r}"
               for b in buttons if not b.name.strip()]
    if unnamed:
        fail("buttons without an accessible name: " + ", ".join(unnamed))
    print(f"ok: all {len(buttons)} buttons of the editor have a name")


def main():
    title = sys.argv[1]
    pyatspi.Registry.registerEventListener(on_description_changed,
                                           "object:property-change:accessible-description")
    app = wait_for("the application on the accessibility bus", application)
    window = wait_for(f"the editor window {title!r}",
                      lambda: next((w for w in children(app) if w.name == title), None))
    view = wait_for(f"the {VIEW!r}", lambda: find(window, VIEW))

    if view.description != "Time curve, 0 points, no point selected":
        fail(f"the new editor's view describes itself as {view.description!r}")
    pause(1)  # the program learns of the listener through the bus before it is worked
    expect(view, lambda: press_keys("F2"), r"Pitch curve, 0 points, no point selected", "F2")
    expect(view, lambda: click(view, 0.3, 0.3), r"Pitch curve, 1 point, .*", "a click")
    expect(view, lambda: click(view, 0.6, 0.7), r"Pitch curve, 2 points, .*",
           "a second click")
    expect(view, lambda: press_keys("ctrl+z"), r"Pitch curve, 1 point, .*", "undo")
    expect(view, lambda: press_keys("F3"), r"Formant curve, 0 points, no point selected", "F3")
    expect(view, lambda: press_keys("F1"), r"Time curve, 0 points, no point selected", "F1")
    expect(view, lambda: press_keys("F2"), r"Pitch curve, 1 point, .*", "F2 again")
    redo = find(window, "Redo", pyatspi.ROLE_MENU_ITEM)
    expect(view, lambda: do_action(redo, "Press"), r"Pitch curve, 2 points, .*",
           "the menu item Redo")
    formant = find(window, "Formant curve", pyatspi.ROLE_MENU_ITEM)
    expect(view, lambda: do_action(formant, "Press"), r"Formant curve, 0 points, .*",
           "the menu item Formant curve")
    # A tool button offers Toggle only; toggling it must choose the curve as a click does.
    pitch = next((d for d in descendants(window) if d.name == "Pitch curve"
                  and d.getRole() in BUTTON_ROLES), None) or fail("no Pitch curve button")
    expect(view, lambda: do_action(pitch, "Toggle"), r"Pitch curve, 2 points, .*",
           "toggling the Pitch curve button")
    check_button_names(window)


if __name__ == "__main__":
    main()
