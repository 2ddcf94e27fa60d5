#!/usr/bin/env python3
"""Checks the files the install carries beside the programs, as built.

usage: install_files_test.py CHECK ARGS...
  icons SCENE_TOOL ICON_DIR  orvanel-scene --icons draws exactly the committed
                             icons, each PNG of the size its name says
  desktop FILE               desktop-file-validate has nothing to say
  metainfo FILE              appstreamcli validate --no-net passes
  manual PAGE...             every page renders without a warning
  launcher FILE              shellcheck finds nothing in the launcher"""

import os
import re
import struct
import subprocess
import sys
import tempfile


def run(*args):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=60)


def check_icons(tool, committed):
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        made = run(tool, "--icons", folder)
        if made.returncode != 0:
            return [f"orvanel-scene --icons: have status {made.returncode}, want 0: {made.stderr.strip()}"]
        have, want = sorted(os.listdir(folder)), sorted(os.listdir(committed))
        if have != want:
            problems.append(f"icons: have {have}, want {want} (run orvanel-scene --icons data/icons)")
        for name in sorted(set(have) & set(want)):
            drawn = open(os.path.join(folder, name), "rb").read()
            kept = open(os.path.join(committed, name), "rb").read()
            if drawn != kept:
                at = next((i for i, (a, b) in enumerate(zip(drawn, kept)) if a != b), min(len(drawn), len(kept)))
                problems.append(f"{name}: first differs at byte {at}: have {len(drawn)} bytes, "
                                f"want the committed {len(kept)} (run orvanel-scene --icons data/icons)")
            size = int(re.fullmatch(r"orvanel-(\d+)\.png", name).group(1))
            if kept[:8] != b"\x89PNG\r\n\x1a\n" or kept[12:16] != b"IHDR":
                problems.append(f"{name}: not a PNG file")
                continue
            width, height = struct.unpack(">II", kept[16:24])
            if (width, height) != (size, size):
                problems.append(f"{name}: have {width}x{height}, want {size}x{size}")
    return problems


def check_quiet(command, what, silent):
    """The command passes with no word on stderr, and none on stdout either
    when silent (the checkers that say nothing when all is well)."""
    result = run(*command)
    said = (result.stdout if silent else "") + result.stderr
    if result.returncode != 0 or said.strip():
        return [f"{what}: have status {result.returncode} and {said.strip()!r}, want status 0 and no warning"]
    return []


def main():
    check, args = sys.argv[1], sys.argv[2:]
    if check == "icons":
        problems = check_icons(*args)
    elif check == "desktop":
        problems = check_quiet(["desktop-file-validate", args[0]], "desktop-file-validate", silent=True)
    elif check == "metainfo":
        problems = check_quiet(["appstreamcli", "validate", "--no-net", args[0]], "appstreamcli validate",
                               silent=False)
    elif check == "manual":
        problems = [p for page in args for p in check_quiet(["man", "--warnings", "-l", page], page, silent=False)]
    elif check == "launcher":
        problems = check_quiet(["shellcheck", "-s", "sh", args[0]], "shellcheck", silent=True)
    else:
        sys.exit(__doc__)
    for problem in problems:
        print(problem)
    if problems:
        sys.exit(1)
    print("ok")


if __name__ == "__main__":
    main()
