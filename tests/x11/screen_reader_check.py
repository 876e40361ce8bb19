#!/usr/bin/python3
"""Reads the running Kestrav over AT-SPI: every control a screen reader reaches has a name
(a list, its label's), the roles are right, the azimuth set through its arrows reads back,
and the names follow the language chosen in the menu."""

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
    apps = pyatspi.Registry.getDesktop(0)
    return next((a for a in apps if a and "kestrav" in (a.name or "").lower()), None)


def spoken_names(node):
    if node.getRoleName() != "combo box":
        return [node.name]
    return [r.getTarget(i).name for r in node.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
            for i in range(r.getNTargets())]


def controls(node, found):
    """The controls Tab reaches on screen; a list's entries are left out."""
    states = node.getState()
    if states.contains(pyatspi.STATE_FOCUSABLE) and states.contains(pyatspi.STATE_SHOWING):
        found.append(node)
    if node.getRoleName() not in ("list", "menu bar"):
        for child in node:
            if child is not None:
                controls(child, found)
    return found


def read_all(app):
    found = [c for window in app if window is not None for c in controls(window, [])]
    unnamed = [c.getRoleName() for c in found if not any(n.strip() for n in spoken_names(c))]
    return {name: c.getRoleName() for c in found for name in spoken_names(c)}, unnamed, found


def check(app, expected):
    names, unnamed, _ = read_all(app)
    return [f"a {role} without a name" for role in unnamed] + [
        f"{name!r}: {names.get(name)}, not {role}"
        for name, role in expected.items() if names.get(name) != role]


app = wait_for("Kestrav on the bus", application)
# At its first start the main window and the initialisation dialog are both up.
wait_for("the dialog's controls", lambda: "Local locator" in read_all(app)[0])
failures = check(app, {
    "DX locator": "text", "DX latitude north": "check box", "DXCC country": "combo box",
    "Azimuth, degrees": "text", "Azimuth, one degree up or down": "spin button",
    "QRB distance, km": "text", "GO": "push button", "Local locator": "text",
    "GS232": "radio button", "Minimum step, degrees": "spin button"})


def find(name):
    return next((n for w in app for n in pyatspi.findAllDescendants(w, lambda n: n.name == name)),
                None)


find("Azimuth, one degree up or down").queryValue().currentValue = 90
azimuth = find("Azimuth, degrees").queryText()
wait_for("the azimuth set by its arrows", lambda: azimuth.getText(0, -1) == "90.0", 10)

wait_for("the French menu item", lambda: find("Français")).queryAction().doAction(0)
wait_for("the French names", lambda: "Locator DX" in read_all(app)[0])
failures += check(app, {
    "Locator DX": "text", "Pays DXCC": "combo box", "Azimut, degrés": "text",
    "Distance QRB, km": "text", "Locator local": "text", "Pas minimum, degrés": "spin button"})

for failure in failures:
    print("FAIL:", failure)
print(f"{len(read_all(app)[2])} controls read, {len(failures)} failures")
sys.exit(1 if failures else 0)
