#!/usr/bin/python3
"""Prints what the accessibility tree of the running program shows, one
item a line, for desktop_test.sh to compare: each showing window with its
role and title, then its showing labels and push buttons and, for the file
chooser, the filters offered and the files listed.

usage: a11y_windows.py [SECONDS]   (how long to wait for a window; 15)
Needs the session bus that the program's accessibility bridge uses.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

APP = "quarnel"


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def children(node):
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield child


def text_of(node):
    """A node's name or, where it has none, its text."""
    name = node.get_name()
    if not name and "Text" in node.get_interfaces():
        name = Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
    # A cell of an icon and a text holds them as cells of its own.
    for child in children(node):
        if name:
            break
        name = text_of(child)
    return name


def files(table):
    """The names in the file list: the text of each row's first cell that
    has any (the first column may be an icon)."""
    names = []
    for row in range(Atspi.Table.get_n_rows(table)):
        for column in range(Atspi.Table.get_n_columns(table)):
            cell = Atspi.Table.get_accessible_at(table, row, column)
            name = text_of(cell) if cell is not None else ""
            if name:
                names.append(name)
                break
    return names


def describe(node, lines):
    role = node.get_role_name()
    if role == "combo box" and showing(node):
        lines.append(f"filter\t{node.get_name()}")
        for item in children(node):
            for entry in [item] + list(children(item)):
                if entry.get_role_name() == "menu item":
                    lines.append(f"filter item\t{entry.get_name()}")
        return
    if role == "table" and node.get_name() == "Files" and showing(node):
        for name in sorted(files(node)):
            lines.append(f"file\t{name}")
        return
    if role == "label" and showing(node) and node.get_name():
        lines.append(f"label\t{node.get_name()}")
    if role == "push button" and showing(node) and node.get_name():
        lines.append(f"button\t{node.get_name()}")
    for child in children(node):
        describe(child, lines)


def snapshot():
    desktop = Atspi.get_desktop(0)
    lines = []
    for app in children(desktop):
        if app.get_name() != APP:
            continue
        for window in children(app):
            if not showing(window):
                continue
            lines.append(f"window\t{window.get_role_name()}\t{window.get_name()}")
            describe(window, lines)
    return lines


def main():
    limit = float(sys.argv[1]) if len(sys.argv) > 1 else 15
    deadline = time.monotonic() + limit
    lines = []
    while time.monotonic() < deadline:
        lines = snapshot()
        # A file chooser lists its folder a moment after it shows.
        listing = any(line.startswith("window\tfile chooser") for line in lines)
        if lines and (not listing or any(line.startswith("file\t") for line in lines)):
            break
        time.sleep(0.2)
    print("\n".join(lines))
    return 0 if lines else 1


if __name__ == "__main__":
    sys.exit(main())
