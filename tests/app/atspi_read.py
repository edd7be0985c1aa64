#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Reads a running program through AT-SPI, as a screen reader does.

  atspi_read.py bus                    start the accessibility bus, then exit
  atspi_read.py tree APP               the accessible tree of APP's windows,
                                       one JSON object a line, in tree order
  atspi_read.py events APP SECONDS     "ready", then each description change
                                       of APP's objects for SECONDS, a JSON
                                       object a line
  atspi_read.py press APP ROLE NAME    carries out the first action of the
                                       first ROLE named NAME in APP

A tree line: depth, role, name, description, focused, labelledBy (the
names of the objects that label it). An event line: role, name,
description. Exit code 2 when APP does not show up within 10 seconds.
"""

import json
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402


def application(name):
    desktop = Atspi.get_desktop(0)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == name:
                return app
        time.sleep(0.1)
    sys.exit(2)


def describe(obj, depth):
    labels = []
    for relation in obj.get_relation_set() or []:
        if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
            labels += [relation.get_target(i).get_name()
                       for i in range(relation.get_n_targets())]
    return {
        "depth": depth,
        "role": obj.get_role_name(),
        "name": obj.get_name(),
        "description": obj.get_description(),
        "focused": obj.get_state_set().contains(Atspi.StateType.FOCUSED),
        "labelledBy": labels,
    }


def walk(obj, depth=0):
    yield obj, depth
    for i in range(obj.get_child_count()):
        child = obj.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def print_line(line):
    print(json.dumps(line, ensure_ascii=False), flush=True)


def tree(app_name):
    for obj, depth in walk(application(app_name)):
        print_line(describe(obj, depth))


def events(app_name, seconds):
    app = application(app_name)

    def changed(event):
        source = event.source
        if source.get_application() == app:
            print_line({"role": source.get_role_name(), "name": source.get_name(),
                        "description": source.get_description()})

    listener = Atspi.EventListener.new(changed)
    listener.register("object:property-change:accessible-description")
    GLib.timeout_add(int(seconds * 1000), Atspi.event_quit)
    print("ready", flush=True)
    Atspi.event_main()


def press(app_name, role, name):
    for obj, _ in walk(application(app_name)):
        if obj.get_role_name() == role and obj.get_name() == name:
            obj.do_action(0)
            return
    sys.exit(3)


if __name__ == "__main__":
    command = sys.argv[1]
    if command == "bus":
        Atspi.get_desktop(0).get_child_count()
    elif command == "tree":
        tree(sys.argv[2])
    elif command == "events":
        events(sys.argv[2], float(sys.argv[3]))
    elif command == "press":
        press(sys.argv[2], sys.argv[3], sys.argv[4])
