#!/usr/bin/python3
"""a11y.py's questions, read one a line from standard input, for a test that asks hundreds.

Each question starts with a mark of the asker's own, and its answer ends with the line
"<end MARK>"; "<none>" stands for a control that does not exist and "<error>" for a bus that
did not answer. One process for the whole test spares the start of
Python and of the bus connection at every question. Commands: text NAME, states NAME,
selected NAME, where NAME, windows (as a11y.py prints them).
"""
import os
import sys

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import a11y  # noqa: E402


def answer(bus, command, name):
    if command == "windows":
        return [a11y.describe(window) for window in a11y.windows(bus)]
    node = a11y.find(bus, name)
    if command == "text":
        return [node.text()]
    if command == "states":
        return [" ".join(node.states())]
    if command == "selected":
        return [child.name() for child in node.children() if "selected" in child.states()]
    if command == "where":
        return ["%d %d" % node.middle()]
    return ["<error>"]


def main():
    bus = a11y.accessibility_bus()
    for line in sys.stdin:
        mark, _, question = line.rstrip("\n").partition(" ")
        command, _, name = question.partition(" ")
        try:
            lines = answer(bus, command, name)
        except SystemExit:
            lines = ["<none>"]
        except dbus.exceptions.DBusException:
            lines = ["<error>"]
        print("\n".join(lines + ["<end %s>" % mark]), flush=True)


if __name__ == "__main__":
    main()
