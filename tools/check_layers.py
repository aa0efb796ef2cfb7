#!/usr/bin/env python3
"""Keeps the source folders layered and free of include cycles.

A library may include only headers of its own folder or of folders below it,
so each one can be built, tested and reasoned about without the ones above.
Units (X.h + X.cpp in one folder) that include each other, directly or round a
ring, cannot be understood or changed one at a time, so any such cycle fails.

    tools/check_layers.py [ROOT]           check, exit 1 on any offender
    tools/check_layers.py --stats [ROOT]   also: headers each .cpp reaches
"""
import argparse
import os
import re
import statistics
import sys

# Each folder and the folders whose headers it may include (its own included).
# Tests and benchmarks sit outside the layers and may include anything.
_LIBRARY = {
    "toolkit": {"toolkit"},
    "components": {"toolkit", "components"},
    "chart": {"toolkit", "chart"},
    "spreadsheet": {"toolkit", "spreadsheet"},
    "accessibility": {"toolkit", "components", "chart", "accessibility"},
}
_LIBRARY["app"] = set(_LIBRARY) | {"app"}
_LIBRARY["tools"] = set(_LIBRARY) | {"tools"}
ANYTHING = ("tests", "bench")
FOLDERS = list(_LIBRARY) + list(ANYTHING)
ALLOWED = dict(_LIBRARY)
for f in ANYTHING:
    ALLOWED[f] = None

HEADER_EXT = (".h", ".hpp")
SOURCE_EXT = (".cpp", ".cc")
INCLUDE_RE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


class Tree:
    def __init__(self, root):
        self.root = root
        self.files = []  # relative paths, sorted
        self.headers = {}  # header basename -> relative path
        dupes = {}
        for top in FOLDERS:
            base = os.path.join(root, top)
            for d, subdirs, names in os.walk(base):
                subdirs.sort()
                for n in sorted(names):
                    if not n.endswith(HEADER_EXT + SOURCE_EXT):
                        continue
                    rel = os.path.relpath(os.path.join(d, n), root)
                    self.files.append(rel)
                    if n.endswith(HEADER_EXT):
                        if n in self.headers:
                            dupes.setdefault(n, [self.headers[n]]).append(rel)
                        self.headers[n] = rel
        if dupes:
            lines = ["two or more project headers share a name, so a bare include is ambiguous:"]
            for n, paths in sorted(dupes.items()):
                lines.append(f"  {n}: " + ", ".join(paths))
            raise SystemExit("\n".join(lines))
        # file -> [(line number, include text, resolved header path)]
        self.includes = {f: list(self._project_includes(f)) for f in self.files}

    def _project_includes(self, rel):
        with open(os.path.join(self.root, rel), encoding="utf-8", errors="replace") as fh:
            for number, line in enumerate(fh, 1):
                m = INCLUDE_RE.match(line)
                if not m:
                    continue
                name = m.group(1)
                target = self.headers.get(os.path.basename(name))
                # Anything not a project header is Qt's or the system's.
                if target and target.replace(os.sep, "/").endswith(name):
                    yield number, line.strip(), target


def top_folder(rel):
    return rel.replace(os.sep, "/").split("/", 1)[0]


def unit_of(rel):
    return os.path.splitext(rel)[0].replace(os.sep, "/")


def upward_includes(tree):
    bad = []
    for f in tree.files:
        allowed = ALLOWED[top_folder(f)]
        if allowed is None:
            continue
        for number, text, target in tree.includes[f]:
            if top_folder(target) not in allowed:
                bad.append(f"  {f}:{number}: {text}  ({top_folder(f)} may not include {top_folder(target)})")
    return bad


def strongly_connected(nodes, edges):
    """Tarjan's algorithm, iterative so a deep tree cannot hit the recursion limit."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = 0
    for start in nodes:
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            advanced = False
            for child in children:
                if child not in index:
                    index[child] = low[child] = counter
                    counter += 1
                    stack.append(child)
                    on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                    advanced = True
                    break
                if child in on_stack:
                    low[node] = min(low[node], index[child])
            if advanced:
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    component.append(member)
                    if member == node:
                        break
                found.append(sorted(component))
    return found


def unit_cycles(tree):
    edges = {}  # unit -> {unit}
    why = {}  # (unit, unit) -> ["file:line: include"]
    for f in tree.files:
        a = unit_of(f)
        edges.setdefault(a, set())
        for number, text, target in tree.includes[f]:
            b = unit_of(target)
            if a == b:
                continue
            edges[a].add(b)
            why.setdefault((a, b), []).append(f"{f}:{number}: {text}")
    report = []
    for component in strongly_connected(sorted(edges), edges):
        if len(component) < 2:
            continue
        members = set(component)
        report.append("  cycle: " + " <-> ".join(component))
        for a in component:
            for b in sorted(edges[a] & members):
                for w in why[(a, b)]:
                    report.append(f"    {a} -> {b}   {w}")
    return report


def reach_counts(tree):
    counts = {}
    for f in tree.files:
        if not f.endswith(SOURCE_EXT) or top_folder(f) in ANYTHING:
            continue
        seen, todo = set(), [f]
        while todo:
            for _, _, target in tree.includes[todo.pop()]:
                if target not in seen:
                    seen.add(target)
                    todo.append(target)
        counts[f] = len(seen)
    return counts


def main(argv=None):
    default_root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("root", nargs="?", default=default_root, help="project root (default: this repository)")
    p.add_argument("--stats", action="store_true",
                   help="print how many distinct project headers each library .cpp reaches")
    args = p.parse_args(argv)
    if not os.path.isdir(args.root):
        p.error(f"no such directory: {args.root}")

    tree = Tree(args.root)
    failed = False
    cycles = unit_cycles(tree)
    if cycles:
        failed = True
        print("layering: include cycles between units:", file=sys.stderr)
        print("\n".join(cycles), file=sys.stderr)
    upward = upward_includes(tree)
    if upward:
        failed = True
        print("layering: includes that reach up the folder layers:", file=sys.stderr)
        print("\n".join(upward), file=sys.stderr)

    if args.stats:
        counts = reach_counts(tree)
        for f, n in sorted(counts.items()):
            print(f"{n:4d}  {f}")
        if counts:
            values = list(counts.values())
            print(f"headers reached per .cpp: {len(values)} files, "
                  f"median {statistics.median(values):g}, max {max(values)}")

    if failed:
        return 1
    print(f"layering: {len(tree.files)} files, no include cycles, no upward includes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
