#!/usr/bin/env python3
"""Holds the sources and the CMake link graph to the layer order.

The order is scripts/layers.ini (its header explains the format). Two kinds
of fault are reported, one line each, and the exit status is 1 when there
is any:

  * a wrong-way include: a file of one layer includes a header of a layer
    it may not use, or an outside library's header its layer has no use for;
  * a wrong-way link: a target of one layer links a target of a layer it may
    not use, or an outside library its layer has no use for; a test pinned
    in [tests] reaches, through everything it links, more than the layers it
    tests.

The link graph is the file CMake writes at configure time
(cmake/OrvexLayers.cmake): one target a line, its name, type, LINK_LIBRARIES
and INTERFACE_LINK_LIBRARIES separated by tabs.

    check_layers.py [--root DIR] [--layers FILE] [--links FILE]
"""

import argparse
import configparser
import fnmatch
import os
import re
import sys

SOURCE_SUFFIXES = (".h", ".cc", ".h.in", ".cc.in")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
PUBLIC = "public"


class LayerError(Exception):
    """The layer file itself is wrong."""


class Layers:
    def __init__(self, text):
        parser = configparser.ConfigParser(interpolation=None, delimiters=("=",))
        parser.optionxform = str
        parser.read_string(text)
        self.packages = {}  # name -> (header pattern, target pattern)
        if parser.has_section("packages"):
            for name, value in parser.items("packages"):
                parts = [p.strip() for p in value.split(" | ")]
                if len(parts) != 2:
                    raise LayerError(f"package {name}: want 'header pattern | target pattern'")
                self.packages[name] = (re.compile(parts[0]), re.compile(parts[1]))
        self.order = []
        self.uses = {}  # layer -> the layers it may include (itself among them)
        self.reach = {}  # layer -> the layers it may link
        self.layer_packages = {}
        self.path_layer = {}
        self.target_layer = {}
        self.target_patterns = []  # (glob, layer) for the targets CMake names itself
        for section in parser.sections():
            if section in ("packages", "tests"):
                continue
            self._add_layer(section, parser[section])
        self.tests = {}
        if parser.has_section("tests"):
            for target, value in parser.items("tests"):
                named = value.split()
                for layer in named:
                    self._known(layer, f"test {target}")
                self.tests[target] = named

    def _known(self, layer, who):
        if layer not in self.uses:
            raise LayerError(f"{who} names {layer}, which is not a layer listed above it")

    def _add_layer(self, name, section):
        uses = {name, PUBLIC} if PUBLIC in self.uses else {name}
        reach = set(uses)
        for below in section.get("uses", "").split():
            self._known(below, f"layer {name}")
            uses |= self.uses[below]
            reach |= self.reach[below]
        for below in section.get("links", "").split():
            self._known(below, f"layer {name}")
            reach |= self.reach[below]
        self.order.append(name)
        self.uses[name] = uses
        self.reach[name] = reach
        packages = set(section.get("packages", "").split())
        for package in packages:
            if package not in self.packages:
                raise LayerError(f"layer {name} uses package {package}, not in [packages]")
        self.layer_packages[name] = packages
        for path in section.get("paths", "").split():
            self.path_layer[os.path.normpath(path)] = name
        for target in section.get("targets", "").split():
            if any(c in target for c in "*?["):
                self.target_patterns.append((target, name))
            else:
                self.target_layer[target] = name

    def layer_of_target(self, target):
        if target in self.target_layer:
            return self.target_layer[target]
        for pattern, layer in self.target_patterns:
            if fnmatch.fnmatchcase(target, pattern):
                return layer
        return None

    def packages_of(self, layers):
        found = set()
        for layer in layers:
            found |= self.layer_packages[layer]
        return found

    def layer_of_path(self, relative):
        """The layer of the longest path holding `relative`, or None."""
        path = os.path.normpath(relative)
        while True:
            if path in self.path_layer:
                return self.path_layer[path]
            parent = os.path.dirname(path)
            if parent == path or not parent:
                return None
            path = parent

    def package_of_header(self, header):
        for name, (headers, _) in self.packages.items():
            if headers.search(header):
                return name
        return None

    def package_of_target(self, target):
        for name, (_, targets) in self.packages.items():
            if targets.search(target):
                return name
        return None


def source_files(root, layers):
    """Every source file under the layers' paths, once (a layer's folder may
    lie inside another's)."""
    found = set()
    for path in layers.path_layer:
        full = os.path.join(root, path)
        if os.path.isfile(full):
            found.add(path)
            continue
        for directory, _, files in os.walk(full):
            for name in files:
                if name.endswith(SOURCE_SUFFIXES):
                    found.add(os.path.relpath(os.path.join(directory, name), root))
    return sorted(found)


def resolve(root, including, header):
    """The repository path of `header` as the build finds it, or None."""
    for base in (os.path.dirname(including), "src", "include", ""):
        candidate = os.path.normpath(os.path.join(base, header))
        for name in (candidate, candidate + ".in"):
            if os.path.isfile(os.path.join(root, name)):
                return candidate
    return None


def check_includes(root, layers):
    faults = []
    for path in source_files(root, layers):
        layer = layers.layer_of_path(path)
        allowed = layers.uses[layer]
        packages = layers.packages_of(allowed)
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for number, line in enumerate(f, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                quoted, header = match.group(1) == '"', match.group(2)
                target = resolve(root, path, header)
                if target is None:
                    package = layers.package_of_header(header)
                    if package is not None and package not in packages:
                        faults.append(f"{path}:{number}: {layer} may not include <{header}> "
                                      f"(package {package})")
                    elif package is None and quoted:
                        faults.append(f"{path}:{number}: \"{header}\" is no file of the project")
                    continue
                other = layers.layer_of_path(target)
                if other is None:
                    faults.append(f"{path}:{number}: {header} belongs to no layer")
                elif other not in allowed:
                    faults.append(f"{path}:{number}: {layer} may not include {header} ({other})")
    return faults


def genex_items(value):
    """The library names in a CMake link list, generator expressions opened:
    $<LINK_ONLY:x>, $<LINK_LIBRARY:FEATURE,x>, $<BUILD_INTERFACE:x> and any
    $<condition:x> give x (whatever the condition says, so a link that some
    configuration makes counts); $<INSTALL_INTERFACE:x> gives nothing."""
    def expand(text):
        out, i = [], 0
        while i < len(text):
            if text.startswith("$<", i):
                depth, j = 1, i + 2
                while j < len(text) and depth:
                    if text.startswith("$<", j):
                        depth, j = depth + 1, j + 2
                        continue
                    if text[j] == ">":
                        depth -= 1
                    j += 1
                out.append(open_genex(text[i + 2:j - 1]))
                i = j
            else:
                out.append(text[i])
                i += 1
        return "".join(out)

    def open_genex(body):
        depth, colon = 0, -1
        for k, c in enumerate(body):
            if body.startswith("$<", k):
                depth += 1
            elif c == ">":
                depth -= 1
            elif c == ":" and depth == 0:
                colon = k
                break
        if colon < 0:
            return ""
        head, rest = body[:colon], body[colon + 1:]
        if head == "INSTALL_INTERFACE":
            return ""
        if head in ("LINK_LIBRARY", "LINK_GROUP"):
            rest = rest.split(",", 1)[1] if "," in rest else ""
        return expand(rest)

    items = []
    for item in expand(value).split(";"):
        item = item.strip()
        if item and not item.startswith("::@") and not item.endswith("-NOTFOUND"):
            items.append(item)
    return items


def read_links(path):
    graph = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if len(fields) != 4:
                continue
            name, kind, links, interface = fields
            graph[name] = (kind, genex_items(links) + genex_items(interface))
    return graph


def check_links(graph, layers):
    faults = []
    for target, (_, items) in sorted(graph.items()):
        layer = layers.layer_of_target(target)
        if layer is None:
            continue
        reach = layers.reach[layer]
        packages = layers.packages_of(reach)
        for item in sorted(set(items)):
            if item in graph:
                other = layers.layer_of_target(item)
                if other is None:
                    faults.append(f"{target} ({layer}) links {item}, which belongs to no layer")
                elif other not in reach:
                    faults.append(f"{target} ({layer}) may not link {item} ({other})")
                continue
            package = layers.package_of_target(item)
            if package is not None and package not in packages:
                faults.append(f"{target} ({layer}) may not link {item} (package {package})")

    for test, named in sorted(layers.tests.items()):
        if test not in graph:
            faults.append(f"pinned test {test} is not a target of this build")
            continue
        reach = {"test_support"} if "test_support" in layers.reach else set()
        for layer in named:
            reach |= layers.reach[layer]
        packages = layers.packages_of(reach) | ({"gtest"} & set(layers.packages))
        seen, stack = set(), [test]
        while stack:
            for item in graph[stack.pop()][1]:
                if item in seen:
                    continue
                seen.add(item)
                if item in graph:
                    stack.append(item)
        for item in sorted(seen):
            if item in graph:
                other = layers.layer_of_target(item)
                if other not in reach:
                    faults.append(f"{test} (testing {' '.join(named)}) links {item} "
                                  f"({other or 'no layer'})")
                continue
            package = layers.package_of_target(item)
            if package is not None and package not in packages:
                faults.append(f"{test} (testing {' '.join(named)}) links {item} "
                              f"(package {package})")
    return faults


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--layers", default=os.path.join(here, "layers.ini"))
    parser.add_argument("--links", help="the link graph CMake wrote; without it, includes only")
    args = parser.parse_args(argv)
    try:
        with open(args.layers, encoding="utf-8") as f:
            layers = Layers(f.read())
    except (OSError, configparser.Error, LayerError, re.error) as e:
        print(f"{args.layers}: {e}", file=sys.stderr)
        return 2
    faults = check_includes(args.root, layers)
    if args.links:
        faults += check_links(read_links(args.links), layers)
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} wrong-way dependencies (layer order: {args.layers})")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
