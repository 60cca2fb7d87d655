#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-2.0-or-later
"""The layering rules of src/, checked from the sources.

  check-architecture.py core --sources FILE --qt-root DIR
      Fails when a file of the core library (the sources listed in FILE, one
      a line, and every project header they reach) includes a Qt Gui or Qt
      Widgets header, in either spelling (<QtWidgets/QWidget> or <QWidget>).
      No exceptions.

  check-architecture.py rules [--allow FILE]
      Fails on
        include   an #include of src/app from another subsystem folder;
        findChild a findChild across windows: a name (or a window class)
                  that belongs to another window than the calling file's;
        lines     a file in src/ of more than 800 lines.
      FILE lists today's offenders ("<rule> <file> [<what>]"), which may only
      shrink: an entry that no longer offends fails the check as well, so the
      list stays honest.
"""
import argparse
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "src")
MAX_LINES = 800

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCE_EXT = (".cpp", ".h")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def without_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def rel(path):
    return os.path.relpath(path, ROOT)


def src_files():
    for folder, _, names in os.walk(SRC):
        for name in sorted(names):
            if name.endswith(SOURCE_EXT):
                yield os.path.join(folder, name)


# ---------------------------------------------------------------- core

def gui_header_names(qt_root):
    names = set()
    for module in ("QtGui", "QtWidgets"):
        folder = os.path.join(qt_root, module)
        if not os.path.isdir(folder):
            sys.exit("no %s under %s" % (module, qt_root))
        names.update(n for n in os.listdir(folder) if not os.path.isdir(os.path.join(folder, n)))
    return names


def project_header(including, name):
    for base in (os.path.dirname(including), SRC, os.path.join(ROOT, "libs", "ini"),
                 os.path.join(ROOT, "libs", "akrip"), os.path.join(ROOT, "libs", "gogo")):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            return candidate
    return None


def check_core(sources_file, qt_root):
    gui = gui_header_names(qt_root)
    todo = []
    for line in read(sources_file).split("\n"):
        line = line.strip()
        if line.startswith(ROOT) and line.endswith(SOURCE_EXT) and os.path.isfile(line):
            todo.append(line)
            header = line[:-4] + ".h"
            if line.endswith(".cpp") and os.path.isfile(header):
                todo.append(header)
    if not todo:
        sys.exit("no core sources in " + sources_file)
    seen, problems = set(), []
    while todo:
        path = todo.pop()
        if path in seen:
            continue
        seen.add(path)
        for kind, name in INCLUDE.findall(without_comments(read(path))):
            module = name.split("/")[0]
            if module in ("QtGui", "QtWidgets") or (kind == "<" and "/" not in name and name in gui):
                problems.append("%s: includes <%s>, a Qt %s header" % (rel(path), name,
                                "Widgets" if module == "QtWidgets" or os.path.exists(
                                    os.path.join(qt_root, "QtWidgets", name)) else "Gui"))
            elif kind == '"':
                found = project_header(path, name)
                if found:
                    todo.append(found)
    for problem in sorted(problems):
        print(problem)
    print("core: %d files checked, %d widget or gui includes" % (len(seen), len(problems)))
    return not problems


# ---------------------------------------------------------------- rules

def subsystem(path):
    parts = os.path.relpath(path, SRC).split(os.sep)
    return parts[0] if len(parts) > 1 else None


def include_offences():
    for path in src_files():
        folder = subsystem(path)
        if folder in (None, "app"):
            continue
        for kind, name in INCLUDE.findall(without_comments(read(path))):
            target = os.path.normpath(os.path.join(os.path.dirname(path), name)) if kind == '"' else ""
            if name.startswith("app/") or target.startswith(os.path.join(SRC, "app") + os.sep):
                yield ("include", rel(path), name)


# The windows of the program are the classes TForm1, TForm2, ...
WINDOW_CLASS = re.compile(r"\bclass\s+(TForm\d+)\s*(?:final\s*)?:\s*public\s+Q\w+")
LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
FIND_CHILD = re.compile(
    r"([\w.>\-]*)\bfindChild\s*<\s*([\w:]+)\s*\*?\s*>\s*\(\s*"
    r'(?:QStringLiteral\s*\(\s*|QLatin1String\s*\(\s*|QString\s*\(\s*)?("(?:[^"\\\n]|\\.)*")?')


def window_of(path):
    """The window a file belongs to: its own name without the extension."""
    return os.path.splitext(path)[0]


def findchild_offences():
    files = list(src_files())
    texts = {path: without_comments(read(path)) for path in files}
    # A window is a file pair that declares a window class; its names are
    # the string literals of that pair (the names its controls are given).
    window_classes, names = {}, {}
    for path, text in texts.items():
        for cls in WINDOW_CLASS.findall(text):
            window_classes[cls] = window_of(path)
    windows = set(window_classes.values())
    for path, text in texts.items():
        if window_of(path) in windows:
            for literal in LITERAL.findall(text):
                names.setdefault(literal, set()).add(window_of(path))
    # A receiver that names a window: m_form2->, form1., mainWindow. ...
    receivers = {}
    for cls, window in window_classes.items():
        receivers["form" + cls[len("TForm"):]] = window
        receivers[os.path.basename(window)] = window
    for path, text in texts.items():
        own = window_of(path)
        for receiver, cls, literal in FIND_CHILD.findall(text):
            cls = cls.split("::")[-1]
            receiver = receiver.lower().replace("_", "")
            named = {w for word, w in receivers.items() if re.search(word + r"(?!\d)", receiver)}
            if named and own not in named:
                yield ("findChild", rel(path), literal[1:-1] if literal else cls)
            elif literal:
                name = literal[1:-1]
                owners = names.get(name, set())
                if owners and own not in owners:
                    yield ("findChild", rel(path), name)
            elif cls in window_classes and window_classes[cls] != own:
                yield ("findChild", rel(path), cls)


def line_offences():
    for path in src_files():
        with open(path, "rb") as f:
            count = f.read().count(b"\n")
        if count > MAX_LINES:
            yield ("lines", rel(path), None)


def check_rules(allow_file):
    found = set(include_offences()) | set(findchild_offences()) | set(line_offences())
    allowed = set()
    if allow_file:
        for line in read(allow_file).split("\n"):
            line = line.split("#")[0].strip()
            if line:
                parts = line.split()
                allowed.add((parts[0], parts[1], parts[2] if len(parts) > 2 else None))
    ok = True
    for rule, path, what in sorted(found - allowed, key=str):
        ok = False
        detail = {"include": "includes %s from src/app" % what,
                  "findChild": "finds %s, which belongs to another window" % what,
                  "lines": "has more than %d lines" % MAX_LINES}[rule]
        print("%s: %s   [%s]" % (path, detail, rule))
    for rule, path, what in sorted(allowed - found, key=str):
        ok = False
        print("%s: no longer offends (%s %s); remove it from the allow-list" % (path, rule, what or ""))
    print("rules: %d offences, %d allowed" % (len(found), len(allowed & found)))
    return ok


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    core = sub.add_parser("core")
    core.add_argument("--sources", required=True)
    core.add_argument("--qt-root", required=True)
    rules = sub.add_parser("rules")
    rules.add_argument("--allow")
    args = parser.parse_args()
    ok = check_core(args.sources, args.qt_root) if args.command == "core" else check_rules(args.allow)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
