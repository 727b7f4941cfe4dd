#!/usr/bin/python3
"""Keeps the layers of src/ pointing down.

Usage: check_includes.py SRC-FOLDER
       check_includes.py --self-test FIXTURE-FOLDER

Reads every #include "folder/..." of every .h and .cpp under SRC-FOLDER and
fails, naming the file, the line and the include, when a folder includes one
that the table below does not allow it. With --self-test it runs the check
over FIXTURE-FOLDER/src and compares its findings with
FIXTURE-FOLDER/expected.txt, so that the check itself is known to find what
it must.
"""
import os
import re
import sys

# What each folder of src/ may include besides itself. Every arrow points
# down, so that a change in a folder can only reach the folders above it, and
# a folder can be read, built and tested with the ones below it alone:
#   app -> options, delivery, capture, twain, gif -> base -> ui,
#   with hook and freeze (our stand-ins for the outside hook and freeze
#   libraries) at the ground.
# base takes the hook for the error box, which keeps the mouse activation
# off while the box is up. options reaches delivery (the destinations' own
# checks and names) and capture (the shading preview); neither includes
# options, so those arrows make no circle. A lower folder that must call a
# higher one does it through a pointer the higher one sets at start-up.
ALLOWED = {
    "ui": set(),
    "hook": set(),
    "freeze": set(),
    "base": {"ui", "hook"},
    "gif": {"base", "ui"},
    "twain": {"base", "ui"},
    "capture": {"base", "ui", "hook", "freeze"},
    "delivery": {"gif", "base", "ui"},
    "options": {"delivery", "capture", "base", "ui", "hook"},
    "app": {"options", "delivery", "capture", "twain", "gif", "base", "ui", "hook", "freeze"},
}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]*"')


def findings(src):
    found = []
    for root, dirs, files in os.walk(src):
        dirs.sort()
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            folder = rel.split("/")[0] if "/" in rel else ""
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m or m.group(1) == folder:
                        continue
                    target = m.group(1)
                    if folder not in ALLOWED:
                        found.append(f"{rel}:{number}: {folder or 'src'}/ is in no layer of the table")
                    elif target not in ALLOWED:
                        found.append(f"{rel}:{number}: includes \"{target}/\", which is in no layer of the table")
                    elif target not in ALLOWED[folder]:
                        found.append(f"{rel}:{number}: {folder}/ may not include {line.strip()[len('#include '):]}"
                                     f" (it may include {', '.join(sorted(ALLOWED[folder])) or 'only itself'})")
    return found


def main(argv):
    if len(argv) == 3 and argv[1] == "--self-test":
        got = findings(os.path.join(argv[2], "src"))
        with open(os.path.join(argv[2], "expected.txt"), encoding="utf-8") as f:
            expected = [line.rstrip("\n") for line in f if line.strip()]
        if got != expected:
            print("the check found:\n  " + "\n  ".join(got) + "\nbut should have found:\n  " + "\n  ".join(expected))
            return 1
        return 0
    if len(argv) != 2:
        print(__doc__)
        return 2
    found = findings(argv[1])
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
