#!/usr/bin/python3
"""The main window as a screen reader finds it on the desktop's
accessibility bus (AT-SPI): every object that takes the focus has a name,
the main controls have theirs, and the site map list shows each row's
texts and tick.

    atspi_walk.py PID SITE_FOLDER

PID is a running desktop program, started with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1; SITE_FOLDER holds a few pages, which
the walk scans through the window's own controls. tests/ui/atspi-walk
starts both under an X server without a screen and a session bus.
Debian's python3-pyatspi serves the system Python, hence /usr/bin/python3.
"""

import sys
import time

import pyatspi

TIMEOUT = 30  # seconds for the window to show on the bus and for a scan

EXPECTED_NAMES = [
    ("text", "Lokálny adresár webu"),
    ("push button", "Vybrať priečinok"),
    ("text", "Url webu"),
    ("push button", "Zobraziť mapu webu"),
    ("push button", "Generovať Tessaly"),
    ("tree", "Mapa webu"),
]


def wait_for(what, find):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = find()
        if found:
            return found
        time.sleep(0.1)
    sys.exit(f"atspi_walk: {what} did not show within {TIMEOUT} s")


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:  # an application that went away meanwhile
            continue
    return None


def main_frame(app):
    for child in app:
        if child is not None and child.getRole() == pyatspi.ROLE_FRAME and child.childCount:
            return child
    return None


def descendants(accessible, path=()):
    path = path + (f"{accessible.getRoleName()} {accessible.name!r}",)
    yield accessible, path
    for child in accessible:
        if child is not None:
            yield from descendants(child, path)


def heard_name(accessible):
    """The name a screen reader speaks: the object's, else its label's."""
    if accessible.name:
        return accessible.name
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                if relation.getTarget(i).name:
                    return relation.getTarget(i).name
    return ""


def find(frame, role, name):
    for accessible, _ in descendants(frame):
        if accessible.getRoleName() == role and accessible.name == name:
            return accessible
    return None


def press(accessible, action_name):
    actions = accessible.queryAction()
    for i in range(actions.nActions):
        if actions.getName(i) == action_name:
            actions.doAction(i)
            return
    sys.exit(f"atspi_walk: {accessible.name!r} has no action {action_name!r}")


def ticks(table):
    return [table.getAccessibleAt(row, 0).getState().contains(pyatspi.STATE_CHECKED)
            for row in range(table.nRows)]


def scanned_rows(frame, site):
    """What is wrong with the rows that a scan through the window's own
    controls, as a screen reader's user would start it, shows."""
    failures = []
    find(frame, "text", "Lokálny adresár webu").queryEditableText().setTextContents(site)
    find(frame, "text", "Url webu").queryEditableText().setTextContents("http://s")
    press(find(frame, "push button", "Zobraziť mapu webu"), "Press")
    table = find(frame, "tree", "Mapa webu").queryTable()
    wait_for("the scanned rows", lambda: table.nRows == 4)
    columns = [table.getColumnDescription(c) for c in range(table.nColumns)]
    if columns != ["Url", "Dátum", "Čas", "Changefreq", "Priority"]:
        failures.append(f"list columns: {columns}")
    root = [table.getAccessibleAt(0, c).name for c in range(table.nColumns)]
    if root[0] != "http://s/" or root[3:] != ["daily", "0.5"] or not all(root[1:3]):
        failures.append(f"root row: {root}")
    if any(ticks(table)):
        failures.append(f"rows ticked after the scan: {ticks(table)}")
    press(find(frame, "menu item", "Vybrať všetky"), "Press")
    wait_for("the ticks of \"Vybrať všetky\"", lambda: all(ticks(table)))
    return failures


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: atspi_walk.py PID SITE_FOLDER")
    pid, site = int(sys.argv[1]), sys.argv[2]
    app = wait_for("the program", lambda: application(pid))
    frame = wait_for("the main window", lambda: main_frame(app))
    failures = [f"no {role} named {name!r}" for role, name in EXPECTED_NAMES
                if not find(frame, role, name)]
    if not failures:
        failures += scanned_rows(frame, site)
    for accessible, path in descendants(frame):
        state = accessible.getState()
        if (state.contains(pyatspi.STATE_FOCUSABLE) and state.contains(pyatspi.STATE_SHOWING)
                and not heard_name(accessible)):
            failures.append("focusable without a name: " + " > ".join(path))

    for failure in failures:
        print("atspi_walk:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
