#!/usr/bin/python3
"""Reads Snipwell's windows the way a screen reader does, through the accessibility bus.

The end-to-end tests use it to read what no X tool can: the texts of the fields and of the
message boxes, and whether a control is enabled or has the focus.

  a11y.py text NAME      the text of the control with the accessible name NAME
  a11y.py states NAME    its states, among: enabled focused checked selected showing
  a11y.py role NAME      its role, as a screen reader names it (frame, link, image, ...)
  a11y.py description NAME  what it says of itself beyond its name
  a11y.py children NAME  its children's names and roles, one "name<TAB>role" a line
  a11y.py items NAME     the names of its children (the entries of a list), one a line
  a11y.py selected NAME  the names of its selected children
  a11y.py where NAME     the middle of the control on the screen, as "X Y"
  a11y.py ready          starts the accessibility bus (before the program looks for it)
  a11y.py windows        one line per window: role, name, label texts and button names,
                         separated by tabs (texts and buttons joined with " | ")
Exit code 2 when no such control exists, 3 when the bus cannot be reached.
"""
import sys

import dbus

ACCESSIBLE = "org.a11y.atspi.Accessible"
TEXT = "org.a11y.atspi.Text"
COMPONENT = "org.a11y.atspi.Component"
SCREEN_COORDINATES = 0
PROPERTIES = "org.freedesktop.DBus.Properties"
# Bit numbers of the AT-SPI state set.
STATE_BITS = {"checked": 4, "enabled": 8, "focused": 12, "selected": 23, "showing": 25}


class Node:
    def __init__(self, bus, ref):
        self.bus = bus
        self.obj = bus.get_object(ref[0], ref[1], introspect=False)

    def name(self):
        return str(self.obj.Get(ACCESSIBLE, "Name", dbus_interface=PROPERTIES))

    def description(self):
        return str(self.obj.Get(ACCESSIBLE, "Description", dbus_interface=PROPERTIES))

    def role(self):
        return str(self.obj.GetRoleName(dbus_interface=ACCESSIBLE))

    def children(self):
        return [Node(self.bus, ref) for ref in self.obj.GetChildren(dbus_interface=ACCESSIBLE)]

    def text(self):
        if TEXT not in self.obj.GetInterfaces(dbus_interface=ACCESSIBLE):
            return ""
        return str(self.obj.GetText(0, -1, dbus_interface=TEXT))

    def states(self):
        low, high = self.obj.GetState(dbus_interface=ACCESSIBLE)
        bits = int(low) | (int(high) << 32)
        return [state for state, bit in STATE_BITS.items() if bits & (1 << bit)]

    def middle(self):
        x, y, width, height = self.obj.GetExtents(dbus.UInt32(SCREEN_COORDINATES), dbus_interface=COMPONENT)
        return int(x) + int(width) // 2, int(y) + int(height) // 2

    def walk(self):
        yield self
        for child in self.children():
            yield from child.walk()


def accessibility_bus():
    session = dbus.SessionBus()
    address = session.get_object("org.a11y.Bus", "/org/a11y/bus").GetAddress(dbus_interface="org.a11y.Bus")
    return dbus.bus.BusConnection(str(address))


def windows(bus):
    root = Node(bus, ("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root"))
    for application in root.children():
        if application.name() == "Snipwell 1.0":
            yield from application.children()


def find(bus, name):
    for window in windows(bus):
        for node in window.walk():
            if node.name() == name:
                return node
    sys.exit(2)


def describe(window):
    texts, buttons = [], []
    for node in list(window.walk())[1:]:
        role = node.role()
        if role == "push button":
            buttons.append(node.name())
        elif role == "label" and node.name():
            texts.append(node.name())
    return "\t".join([window.role(), window.name(), " | ".join(texts), " | ".join(buttons)])


def main(argv):
    try:
        bus = accessibility_bus()
        if argv[1] == "ready":
            return 0
        if argv[1] == "windows":
            for window in windows(bus):
                print(describe(window))
            return 0
        node = find(bus, argv[2])
        if argv[1] == "text":
            print(node.text())
        elif argv[1] == "role":
            print(node.role())
        elif argv[1] == "description":
            print(node.description())
        elif argv[1] == "children":
            for child in node.children():
                print("%s\t%s" % (child.name(), child.role()))
        elif argv[1] == "states":
            print(" ".join(node.states()))
        elif argv[1] == "items":
            for child in node.children():
                if child.role() == "list item":
                    print(child.name())
        elif argv[1] == "selected":
            for child in node.children():
                if "selected" in child.states():
                    print(child.name())
        elif argv[1] == "where":
            print("%d %d" % node.middle())
        else:
            print(__doc__, file=sys.stderr)
            return 1
    except dbus.exceptions.DBusException as error:
        print(error, file=sys.stderr)
        return 3
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
