#!/usr/bin/python3
# Prints the accessibility tree that a running Glowdesk window exports over AT-SPI:
# role, name, description and whether the object shows, one object a line. With
# --toggle N it then toggles check box N through its accessible action and prints the
# lamps again, so a change of their descriptions can be seen.
#
# Needs a session bus with the accessibility bus (scripts/atspi_look.sh starts both)
# and python3-pyatspi (Debian's python, /usr/bin/python3).
import argparse
import sys
import time

import pyatspi


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for _ in range(50):
        for app in desktop:
            if app is not None and app.name.lower().startswith(name):
                return app
        time.sleep(0.2)
    return None


def walk(obj, depth, out):
    try:
        showing = obj.getState().contains(pyatspi.STATE_SHOWING)
        out.append((depth, obj.getRoleName(), obj.name, obj.description, showing, obj))
        for child in obj:
            if child is not None:
                walk(child, depth + 1, out)
    except Exception as error:  # an object that went away while we looked
        out.append((depth, "?", str(error), "", False, None))


def show(rows, only_showing):
    for depth, role, name, description, showing, _ in rows:
        if only_showing and not showing:
            continue
        print("%s%-14s %-22r %-28r %s" % ("  " * depth, role, name, description,
                                          "" if showing else "(hidden)"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", default="glowdesk")
    parser.add_argument("--all", action="store_true", help="hidden objects too")
    parser.add_argument("--toggle", type=int, default=0, help="toggle check box N, then look again")
    args = parser.parse_args()

    app = find_app(args.app)
    if app is None:
        print("no application named %s on the accessibility bus" % args.app)
        return 1
    rows = []
    walk(app, 0, rows)
    show(rows, not args.all)
    if args.toggle:
        boxes = [r[5] for r in rows if r[1] == "check box" and r[2] == str(args.toggle)]
        if not boxes:
            print("no check box %d" % args.toggle)
            return 1
        action = boxes[0].queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        print("\ntoggling check box %d (actions %s)" % (args.toggle, names))
        action.doAction(0)
        time.sleep(0.5)
        rows = []
        walk(app, 0, rows)
        for _, role, name, description, showing, obj in rows:
            if name.startswith("LED ") or (role == "check box" and name == str(args.toggle)):
                checked = obj.getState().contains(pyatspi.STATE_CHECKED)
                print("%-14s %-8s %-4s %s%s" % (role, name, description,
                                               "" if showing else "(hidden)",
                                               " checked" if checked else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
