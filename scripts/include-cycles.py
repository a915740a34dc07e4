#!/usr/bin/env python3
"""Finds circles among the program's source files: a header and its source file count as one
unit, and a unit depends on every unit whose header it includes. Exit status 1 and the circles
on stdout when there are any. Run from anywhere: python3 scripts/include-cycles.py"""
import os
import re
import sys

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
src = os.path.normpath(os.path.join(root, "src"))
include = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def unit(path):
    return os.path.splitext(os.path.relpath(path, src))[0]


files = []
for folder, _, names in os.walk(src):
    files += [os.path.join(folder, n) for n in names if n.endswith((".h", ".cpp", ".rc"))]
known = {os.path.normpath(f) for f in files}

edges = {}
for f in files:
    with open(f, encoding="utf-8", errors="replace") as text:
        found = include.findall(text.read())
    for name in found:
        # Quoted includes are looked for beside the file first, then from src/.
        for base in (os.path.dirname(f), src):
            target = os.path.normpath(os.path.join(base, name))
            if target in known:
                if unit(target) != unit(f):
                    edges.setdefault(unit(f), set()).add(unit(target))
                break

# Tarjan's strongly connected components.
index, low, on_stack, stack, circles = {}, {}, set(), [], []
sys.setrecursionlimit(10000)


def visit(v):
    index[v] = low[v] = len(index)
    stack.append(v)
    on_stack.add(v)
    for w in edges.get(v, ()):
        if w not in index:
            visit(w)
            low[v] = min(low[v], low[w])
        elif w in on_stack:
            low[v] = min(low[v], index[w])
    if low[v] == index[v]:
        component = []
        while True:
            w = stack.pop()
            on_stack.discard(w)
            component.append(w)
            if w == v:
                break
        if len(component) > 1:
            circles.append(sorted(component))


for v in sorted(edges):
    if v not in index:
        visit(v)
for c in circles:
    print("include circle: " + " <-> ".join(c))
sys.exit(1 if circles else 0)
