#!/usr/bin/env python3
"""Fails when two of our files need each other, directly or through others.

A file pair (name.h with name.cpp) counts as one unit: when the unit includes, through its header or
its source, a unit that includes it back, neither can be understood or tested without the other.
Reads the quoted includes of every source file below the folders given (default: src), resolves
them against src/ or the including file's own folder, and prints each cycle it finds.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def graph(root, folders):
    edges = {}
    for folder in folders:
        for base, _, names in os.walk(folder):
            for name in names:
                if not name.endswith(('.h', '.cpp')):
                    continue
                path = os.path.normpath(os.path.join(base, name))
                unit = os.path.splitext(path)[0]
                with open(path, encoding='utf-8', errors='replace') as f:
                    text = f.read()
                targets = edges.setdefault(unit, [])
                for inc in INCLUDE.findall(text):
                    for candidate in (os.path.join(root, inc), os.path.join(base, inc)):
                        if os.path.isfile(candidate):
                            target = os.path.splitext(os.path.normpath(candidate))[0]
                            if target != unit:
                                targets.append(target)
                            break
    return edges


def cycles(edges):
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = 'open'
        stack.append(node)
        for nxt in edges.get(node, ()):
            if state.get(nxt) == 'open':
                found.append(stack[stack.index(nxt):] + [nxt])
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 'done'

    for node in sorted(edges):
        if node not in state:
            visit(node)
    return found


def main():
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    root = os.path.join(top, 'src')
    folders = [os.path.join(top, f) for f in sys.argv[1:]] or [root]
    sys.setrecursionlimit(10000)
    found = cycles(graph(root, folders))
    for cycle in found:
        print('include cycle: ' + ' -> '.join(os.path.relpath(p, top) for p in cycle))
    print(f'{len(found)} include cycles')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
