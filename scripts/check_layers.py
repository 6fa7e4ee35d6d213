#!/usr/bin/python3
"""Checks the include graph of src/ against the areas' order in CMakeLists.txt.

The areas are listed there in dependency order (`foreach(area ...)`). Every include of a file
under src/AREA must name AREA itself or an area listed before it: no include runs up a layer,
and no folder's includes come back to it through other folders (tests aside). Test support in
a testing/ folder obeys the same rule as its area; product code (anything that is neither a
test nor in a testing/ folder) includes no testing/ folder, and nothing in src/, tools/ or
fuzz/ includes bench/ (the benchmarks' shared test support lives in testing/ folders). Prints every offending include and exits 1.

Usage: check_layers.py SOURCE_ROOT
"""
import os
import re
import sys


# Folders below the rest of their area: the window framework lies under every window, so it
# includes nothing of its area outside itself.
FRAMEWORKS = ("gui/forms/",)


def folder_circles(edges):
    """The groups of folders whose includes go round (strongly connected, two or more)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(folder):
        index[folder] = low[folder] = len(index)
        stack.append(folder)
        on_stack.add(folder)
        for other in sorted(edges.get(folder, ())):
            if other not in index:
                visit(other)
                low[folder] = min(low[folder], low[other])
            elif other in on_stack:
                low[folder] = min(low[folder], index[other])
        if low[folder] == index[folder]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == folder:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for folder in sorted(edges):
        if folder not in index:
            visit(folder)
    return groups


def areas_in_order(root):
    with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as f:
        match = re.search(r"foreach\(area ([a-z_ ]+)\)", f.read())
    if not match:
        sys.exit("CMakeLists.txt has no foreach(area ...) list")
    return match.group(1).split()


def is_test(path):
    name = os.path.basename(path)
    return re.search(r"_test(_win)?\.cc$", name) is not None


def main():
    root = sys.argv[1]
    areas = areas_in_order(root)
    rank = {area: i for i, area in enumerate(areas)}
    src = os.path.join(root, "src")
    faults = []
    # Folder → folders its non-test files include (tests are leaves: a folder's tests may
    # include its testing/ folder, which includes the folder).
    edges = {}
    for folder, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cc")):
                continue
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, src)
            area = relative.split(os.sep)[0]
            if area not in rank:
                faults.append(f"{relative}: area {area} is not in CMakeLists.txt's list")
                continue
            testing = f"{os.sep}testing{os.sep}" in relative
            product = not testing and not is_test(path)
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                    if not match:
                        continue
                    included = match.group(1)
                    top = included.split("/")[0]
                    own = os.path.dirname(relative).replace(os.sep, "/")
                    target = os.path.dirname(included)
                    if not is_test(path) and target and target != own:
                        edges.setdefault(own, set()).add(target)
                    where = f"{relative}:{number}: {included}"
                    if top == "bench":
                        faults.append(f"{where} (src/ includes no benchmark code)")
                    elif top in rank and rank[top] > rank[area]:
                        faults.append(f"{where} ({top} is above {area})")
                    if product and "/testing/" in included:
                        faults.append(f"{where} (product code includes test support)")
                    for framework in FRAMEWORKS:
                        if (relative.startswith(framework) and included.startswith(area + "/")
                                and not included.startswith(framework)):
                            faults.append(f"{where} ({framework} lies below the rest of {area})")
    for other in ("tools", "fuzz"):
        for folder, _, files in os.walk(os.path.join(root, other)):
            for name in sorted(files):
                if not name.endswith((".h", ".cc")):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        if re.match(r'\s*#\s*include\s+"bench/', line):
                            relative = os.path.relpath(path, root)
                            faults.append(f"{relative}:{number}: {line.strip()} "
                                          f"({other}/ includes no benchmark code)")
    for group in folder_circles(edges):
        faults.append("includes go round between the folders " + ", ".join(group))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
