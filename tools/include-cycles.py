#!/usr/bin/env python3
"""Lists the circles among the program's files: a file and its header count as one unit
(app/busy.cpp with app/busy.h), and a unit depends on every unit whose header it includes.
Prints each circle found and exits 1; prints nothing and exits 0 when there is none."""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
FOLDERS = ["app", "net", "post", "query", "settings"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)\.h"', re.M)

graph = {}
for folder in FOLDERS:
    for name in os.listdir(os.path.join(ROOT, folder)):
        unit, ext = os.path.splitext(name)
        if ext not in (".cpp", ".h"):
            continue
        unit = folder + "/" + unit
        text = open(os.path.join(ROOT, folder, name), encoding="utf-8").read()
        graph.setdefault(unit, set()).update(
            u for u in INCLUDE.findall(text) if u != unit and u.split("/")[0] in FOLDERS)

# Tarjan's strongly connected components: each with more than one unit is a circle.
index, low, stack, on_stack, circles = {}, {}, [], set(), []

def visit(unit):
    index[unit] = low[unit] = len(index)
    stack.append(unit)
    on_stack.add(unit)
    for other in graph.get(unit, ()):
        if other not in index:
            visit(other)
            low[unit] = min(low[unit], low[other])
        elif other in on_stack:
            low[unit] = min(low[unit], index[other])
    if low[unit] == index[unit]:
        component = []
        while True:
            member = stack.pop()
            on_stack.discard(member)
            component.append(member)
            if member == unit:
                break
        if len(component) > 1:
            circles.append(sorted(component))

sys.setrecursionlimit(10000)
for unit in sorted(graph):
    if unit not in index:
        visit(unit)
for circle in circles:
    print("circle: " + " ".join(circle))
sys.exit(1 if circles else 0)
