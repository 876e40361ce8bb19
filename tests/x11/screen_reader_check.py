#!/usr/bin/python3
"""Reads the running Kestrav over AT-SPI: every control a screen reader reaches has a name,
the roles are those of the controls, the azimuth's value can be read, and the names follow
the language chosen in the menu."""

import sys
import time

import pyatspi


def wait_for(what, probe, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"gave up waiting for {what}")


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and "kestrav" in (app.name or "").lower():
            return app
    return None


def controls(node, found):
    """The objects Tab can reach that are on screen; a list's entries are left out."""
    role = node.getRoleName()
    states = node.getState()
    if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING):
        found.append(node)
    if role in ("list", "menu bar"):
        return found
    for child in node:
        if child is not None:
            controls(child, found)
    return found


def spoken_names(node):
    """What a screen reader may call the control: its name or, for a list, its labels'."""
    if node.getRoleName() != "combo box":
        return [node.name]
    labels = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            labels += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return labels


def read_all(app):
    found = []
    for window in app:
        if window is not None:
            controls(window, found)
    return {name: c for c in found for name in spoken_names(c)}, found


def check(app, expected):
    names, found = read_all(app)
    failures = [
        f"{c.getRoleName()} without a name"
        for c in found
        if not any(name.strip() for name in spoken_names(c))
    ]
    for name, role in expected.items():
        if name not in names:
            failures.append(f"no control named {name!r}")
        elif names[name].getRoleName() != role:
            failures.append(f"{name!r} is a {names[name].getRoleName()}, not a {role}")
    return names, failures


app = wait_for("Kestrav on the bus", application)
# At its first start the main window and the initialisation dialog are both up.
wait_for("the dialog's controls", lambda: "Local locator" in read_all(app)[0])

english = {
    "DX locator": "text",
    "DX latitude north": "check box",
    "DXCC country": "combo box",
    "Azimuth, degrees": "text",
    "Azimuth, one degree up or down": "spin button",
    "QRB distance, km": "text",
    "GO": "push button",
    "STOP": "push button",
    "Local locator": "text",
    "GS232": "radio button",
    "Minimum step, degrees": "spin button",
}
names, failures = check(app, english)
# The arrows set to 90 by the screen reader: the azimuth field follows and reads it.
if "Azimuth, one degree up or down" in names and "Azimuth, degrees" in names:
    names["Azimuth, one degree up or down"].queryValue().currentValue = 90
    azimuth = names["Azimuth, degrees"].queryText()
    wait_for("the azimuth set by its arrows", lambda: azimuth.getText(0, -1) == "90.0", 10)

# The language menu's French item, pressed as a screen reader user would.
def french_item():
    for window in app:
        for item in pyatspi.findAllDescendants(window, lambda n: n.name == "Français"):
            return item
    return None

item = wait_for("the French menu item", french_item)
item.queryAction().doAction(0)
wait_for("the French names", lambda: "Locator DX" in read_all(app)[0])
french = {
    "Locator DX": "text",
    "Pays DXCC": "combo box",
    "Azimut, degrés": "text",
    "Distance QRB, km": "text",
    "Locator local": "text",
    "Pas minimum, degrés": "spin button",
}
failures += check(app, french)[1]

for failure in failures:
    print("FAIL:", failure)
print(f"{len(read_all(app)[1])} controls read, {len(failures)} failures")
sys.exit(1 if failures else 0)
