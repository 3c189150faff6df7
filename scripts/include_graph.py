#!/usr/bin/env python3
"""The include graph of one source folder, and its cycles.

usage: scripts/include_graph.py [FOLDER]   (default: audsink/src)

A header and the source file of the same name are one unit: name.h and
name.cpp together.  Every #include "..." of a unit that names a header of
the same folder is one edge "unit -> header's unit".  Prints the edges, then
every cycle (a group of units that reach each other); exits 1 when there is
one.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
SOURCES = (".h", ".hpp", ".c", ".cc", ".cpp")


def unit_of(name):
    return os.path.splitext(os.path.basename(name))[0]


def edges_of(folder):
    files = sorted(f for f in os.listdir(folder) if f.endswith(SOURCES))
    headers = {f for f in files if f.endswith((".h", ".hpp"))}
    edges = {}
    for name in files:
        unit = unit_of(name)
        edges.setdefault(unit, set())
        with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as text:
            for line in text:
                match = INCLUDE.match(line)
                if match and match.group(1) in headers and unit_of(match.group(1)) != unit:
                    edges[unit].add(unit_of(match.group(1)))
    return edges


def cycles_of(edges):
    """Groups of two or more units that reach each other (Tarjan)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(unit):
        index[unit] = low[unit] = len(index)
        stack.append(unit)
        on_stack.add(unit)
        for target in sorted(edges.get(unit, ())):
            if target not in index:
                visit(target)
                low[unit] = min(low[unit], low[target])
            elif target in on_stack:
                low[unit] = min(low[unit], index[target])
        if low[unit] == index[unit]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == unit:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for unit in sorted(edges):
        if unit not in index:
            visit(unit)
    return sorted(groups)


def main(argv):
    folder = argv[1] if len(argv) > 1 else "audsink/src"
    edges = edges_of(folder)
    for unit in sorted(edges):
        for target in sorted(edges[unit]):
            print(f"{unit} -> {target}")
    cycles = cycles_of(edges)
    for group in cycles:
        print("cycle: " + " <-> ".join(group))
    units = len(edges)
    count = sum(len(targets) for targets in edges.values())
    print(f"{units} units, {count} edges, {len(cycles)} cycles")
    return 1 if cycles else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
