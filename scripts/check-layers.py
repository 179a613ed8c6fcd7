#!/usr/bin/env python3
"""Checks that our code depends one way: smc <- shared <- helper, and app/core <- app/ui <- tools.

Two views, because each misses what the other sees:
- the link graph CMake writes with --graphviz (GRAPH_FILE): no cycle between our targets, and
  no library linking a layer above it;
- the quoted includes of each source folder: a header included from a layer above is a
  dependency the link graph never shows.
Prints every fault and exits 1 on any.

Usage: scripts/check-layers.py GRAPH_FILE
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# What each source folder may include from the others (a folder always sees itself).
INCLUDES = {
    "smc": set(),
    "shared": {"smc"},
    "helper": {"smc", "shared"},
    "app/core": {"smc", "shared"},
    "app/ui": {"smc", "shared", "app/core"},
    "platform/virtual-mac": {"smc"},
    # Programs beside the product, built on it; nothing of the product may reach them.
    "tools": {"smc", "shared", "app/core", "app/ui"},
}

# Our libraries and tools, by layer; a target may link only those of the layers it includes.
LIBRARY_FOLDERS = {
    "brisvane_smc": "smc",
    "brisvane_shared": "shared",
    "brisvane_helper_core": "helper",
    "brisvane_helper_process": "helper",
    "brisvane_app_core": "app/core",
    "brisvane_app_ui": "app/ui",
    "brisvane_ui_accessibility": "app/ui",
    "brisvane_vsmc": "platform/virtual-mac",
    "brisvane_vmac_standins": "platform/virtual-mac",
    "brisvane-screenshot": "tools",
}


def read_graph(path):
    """Node names and edges (from, to) between named nodes of a CMake graphviz file."""
    names, edges = {}, set()
    for line in pathlib.Path(path).read_text().splitlines():
        node = re.match(r'\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"', line)
        if node:
            names[node.group(1)] = node.group(2)
            continue
        edge = re.match(r'\s*"(node\d+)"\s*->\s*"(node\d+)"', line)
        if edge:
            edges.add((edge.group(1), edge.group(2)))
    return {(names[a], names[b]) for a, b in edges if a in names and b in names}


def cycles(edges):
    """One cycle per strongly connected part with more than one target, or a self-loop."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    found, state = [], {}

    def visit(node, path):
        state[node] = "open"
        path.append(node)
        for next_node in sorted(graph[node]):
            if state.get(next_node) == "open":
                found.append(path[path.index(next_node):] + [next_node])
            elif next_node not in state:
                visit(next_node, path)
        path.pop()
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node, [])
    return found


def layer_of(folder):
    for layer in sorted(INCLUDES, key=len, reverse=True):
        if folder == layer or folder.startswith(layer + "/"):
            return layer
    return None


def include_faults():
    faults = []
    for layer, allowed in INCLUDES.items():
        for source in sorted((ROOT / layer).rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            for number, line in enumerate(source.read_text(errors="replace").splitlines(), 1):
                match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
                if not match or "/" not in match.group(1):
                    continue
                target = layer_of(str(pathlib.PurePosixPath(match.group(1)).parent))
                if target and target != layer and target not in allowed:
                    where = source.relative_to(ROOT)
                    faults.append(f"{where}:{number}: {layer} includes {match.group(1)} ({target})")
    return faults


def link_faults(edges):
    faults = []
    for a, b in sorted(edges):
        if a in LIBRARY_FOLDERS and b in LIBRARY_FOLDERS:
            source, target = LIBRARY_FOLDERS[a], LIBRARY_FOLDERS[b]
            if source != target and target not in INCLUDES[source]:
                faults.append(f"{a} links {b}: {source} may not depend on {target}")
    for cycle in cycles(edges):
        faults.append("cycle: " + " -> ".join(cycle))
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    edges = read_graph(sys.argv[1])
    ours = {name for edge in edges for name in edge if name in LIBRARY_FOLDERS}
    missing = set(LIBRARY_FOLDERS) - ours
    faults = link_faults(edges) + include_faults()
    if missing:
        faults.append("not in the graph: " + ", ".join(sorted(missing)))
    for fault in faults:
        print(fault)
    print(f"layers: {len(edges)} links, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
