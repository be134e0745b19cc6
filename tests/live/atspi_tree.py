#!/usr/bin/python3
"""Prints what a screen reader finds in a running program, through AT-SPI as Orca reads it.

    atspi_tree.py PID [--press NAME]...

Each window of the program with process id PID is walked from its top; every object that shows is one
JSON line: {"depth", "role", "name", "labels" (the names of the labels it is labelled by), "states",
"value" (current, minimum, maximum), "window"}. Objects that do not show are left
out with everything below them. --press NAME first does the default action of the showing object named
NAME (a button, as a screen reader user presses it) and waits until the program has taken it.
"""

import json
import sys
import time

import pyatspi


def application(pid, deadline):
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                continue
        time.sleep(0.05)
    return None


def states(obj):
    names = []
    for s in obj.getState().getStates():
        names.append(pyatspi.stateToString(s).replace(" ", "-"))
    return sorted(names)


def value(obj):
    try:
        v = obj.queryValue()
    except NotImplementedError:
        return None
    return [v.currentValue, v.minimumValue, v.maximumValue]


def labels(obj):
    out = []
    for relation in obj.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            for i in range(relation.getNTargets()):
                out.append(relation.getTarget(i).name or "")
    return out


def walk(obj, depth, window, out):
    try:
        shown = obj.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return
    if not shown:
        return
    out.append({"depth": depth, "role": obj.getRoleName(), "name": obj.name or "",
                "labels": labels(obj), "states": states(obj), "value": value(obj), "window": window})
    for child in obj:
        if child is not None:
            walk(child, depth + 1, window, out)


def find(app, name):
    for window in app:
        if window is None:
            continue
        hit = pyatspi.findDescendant(
            window, lambda o: o.name == name and o.getState().contains(pyatspi.STATE_SHOWING))
        if hit is not None:
            return hit
    return None


def main():
    pid = int(sys.argv[1])
    presses = [sys.argv[i + 1] for i, a in enumerate(sys.argv) if a == "--press"]
    app = application(pid, time.monotonic() + 10)
    if app is None:
        print("no application with process id %d on the accessibility bus" % pid, file=sys.stderr)
        return 2
    for name in presses:
        target = find(app, name)
        if target is None:
            print("nothing showing is named %r" % name, file=sys.stderr)
            return 3
        target.queryAction().doAction(0)
    out = []
    for window in app:
        if window is not None:
            walk(window, 0, window.name or "", out)
    for row in out:
        print(json.dumps(row, ensure_ascii=False))
    return 0


if __name__ == "__main__":
    sys.exit(main())
