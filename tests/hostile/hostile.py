#!/usr/bin/env python3
"""Hostile working folders: the real start-up and frame loop (orvanel-replay)
in folders whose pictures are missing, empty, folders, pipes, loops or
lying headers. In every case the game starts and plays its frames, the
reader answers at once, nothing crashes, the screen shows what the pictures
left (magenta where nothing was read) and stderr tells each bad picture in
one line.

usage: hostile.py ORVANEL_REPLAY [CASE ...]"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support", "py"))
from bmp import bmp24, mask1  # noqa: E402

WIDTH, HEIGHT = 720, 480
MAGENTA = 0xFFFF00FF
# Frames 1 to 5 show the bare scene; a click in frame 6 on (200, 300) lands
# in frame 25; the rest lets the title settle.
SCRIPT = "5* 200 300 0\n200 300 1\n30* 200 300 0\n"
FRAMES = 36
# A hang is a failure, not a slow pass: the whole run normally takes well
# under a second.
HANG_SECONDS = 30


def shade(x, y):
    return ((x * 7) & 0xFF, (y * 3) & 0xFF, (x + y) & 0xFF)


def huge_width():
    """100 bytes whose header claims a picture 2^31 - 1 pixels wide."""
    return bmp24(2**31 - 1, HEIGHT, [])[:54].ljust(100, b"\x55")


TRUNCATED_ROWS = 100


def truncated():
    """A 720 x 480 picture cut off after its lowest 100 rows and a bit more."""
    rows = [[shade(x, HEIGHT - 1 - i) for x in range(WIDTH)] for i in range(TRUNCATED_ROWS)]
    whole = bmp24(WIDTH, HEIGHT, rows + [[(1, 2, 3)] * WIDTH])
    return whole[:54 + TRUNCATED_ROWS * WIDTH * 3 + 1000]


def truncated_screen():
    """The screen the truncated background leaves: its lowest rows, magenta above."""
    pixels = []
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if y >= HEIGHT - TRUNCATED_ROWS:
                r, g, b = shade(x, y)
                pixels.append(0xFF000000 | r << 16 | g << 8 | b)
            else:
                pixels.append(MAGENTA)
    return pixels


def crc_of(pixels):
    return zlib.crc32(struct.pack(f"<{len(pixels)}I", *pixels))


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# Each case: what to put in the folder, the stderr lines wanted (regular
# expressions, one per bad picture), the screen of frame 1 (None: not
# checked) and the title at the end.
NOT_OPENED = r"cannot be opened \(.+\); "
MAGENTA_SCENE = "the scene shows magenta$"
NO_TARGET = "no target can be hit$"


def case_missing(folder):
    pass


def case_empty(folder):
    write(folder, "background.bmp", b"")
    write(folder, "mask.bmp", b"")


def case_folders(folder):
    os.mkdir(os.path.join(folder, "background.bmp"))
    os.mkdir(os.path.join(folder, "mask.bmp"))


def case_huge_width(folder):
    write(folder, "background.bmp", huge_width())
    write(folder, "mask.bmp", huge_width())


def case_truncated(folder):
    write(folder, "background.bmp", truncated())
    write(folder, "mask.bmp", mask1(WIDTH, HEIGHT, lambda x, y: True))


def case_pipe_and_device(folder):
    os.mkfifo(os.path.join(folder, "background.bmp"))
    os.symlink("/dev/zero", os.path.join(folder, "mask.bmp"))


def case_symlink_loop(folder):
    os.symlink("background.bmp", os.path.join(folder, "background.bmp"))
    os.symlink("mask.bmp", os.path.join(folder, "mask.bmp"))


ALL_MAGENTA = [MAGENTA] * (WIDTH * HEIGHT)
CASES = {
    "missing": (case_missing, [r"background\.bmp: " + NOT_OPENED + MAGENTA_SCENE,
                               r"mask\.bmp: " + NOT_OPENED + NO_TARGET], ALL_MAGENTA, "Orvanel"),
    "empty": (case_empty, [r"background\.bmp: not a picture the game reads \(.+\); " + MAGENTA_SCENE,
                           r"mask\.bmp: not a picture the game reads \(.+\); " + NO_TARGET], ALL_MAGENTA, "Orvanel"),
    "folders": (case_folders, [r"background\.bmp: " + NOT_OPENED + MAGENTA_SCENE,
                               r"mask\.bmp: " + NOT_OPENED + NO_TARGET], ALL_MAGENTA, "Orvanel"),
    "huge_width": (case_huge_width,
                   [r"background\.bmp: ends too early \(.+\); the scene shows magenta where it is missing$",
                    r"mask\.bmp: ends too early \(.+\); no target can be hit where it is missing$"],
                   ALL_MAGENTA, "Orvanel"),
    # The mask is whole, so the click still scores through a broken scene.
    "truncated": (case_truncated,
                  [r"background\.bmp: ends too early \(.+\); the scene shows magenta where it is missing$"],
                  truncated_screen(), "Orvanel - 1"),
    "pipe_and_device": (case_pipe_and_device, [r"background\.bmp: " + NOT_OPENED + MAGENTA_SCENE,
                                               r"mask\.bmp: " + NOT_OPENED + NO_TARGET], ALL_MAGENTA, "Orvanel"),
    "symlink_loop": (case_symlink_loop, [r"background\.bmp: " + NOT_OPENED + MAGENTA_SCENE,
                                         r"mask\.bmp: " + NOT_OPENED + NO_TARGET], ALL_MAGENTA, "Orvanel"),
}


def run_case(replay, name):
    make, want_lines, want_screen, want_title = CASES[name]
    problems = []
    with tempfile.TemporaryDirectory(prefix=f"orvanel-hostile-{name}-") as folder:
        script = os.path.join(folder, "..", os.path.basename(folder) + ".script")
        with open(script, "w") as out:
            out.write(SCRIPT)
        try:
            make(folder)
            run = subprocess.run([replay, os.path.abspath(script)], cwd=folder, capture_output=True, text=True,
                                 timeout=HANG_SECONDS)
        except subprocess.TimeoutExpired:
            return [f"no answer within {HANG_SECONDS} s"]
        finally:
            os.remove(script)
    if run.returncode != 0:
        problems.append(f"exit status {run.returncode}, want 0")
    frames = [line.split("\t") for line in run.stdout.splitlines()]
    if len(frames) != FRAMES:
        problems.append(f"{len(frames)} frames, want {FRAMES}")
    if frames and frames[-1][1] != want_title:
        problems.append(f"final title \"{frames[-1][1]}\", want \"{want_title}\"")
    if frames and want_screen is not None:
        have, want = int(frames[0][2], 16), crc_of(want_screen)
        if have != want:
            problems.append(f"frame 1 screen CRC {have:08x}, want {want:08x}")
    told = [line for line in run.stderr.splitlines() if line.strip()]
    for pattern in want_lines:
        if not any(re.fullmatch("Orvanel: " + pattern.rstrip("$"), line) for line in told):
            problems.append(f"no stderr line matches \"Orvanel: {pattern}\"")
    if len(told) != len(want_lines):
        problems.append(f"{len(told)} stderr lines, want {len(want_lines)}")
    if problems:
        problems.append("stderr was:\n    " + "\n    ".join(told))
    return problems


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.split("\n\n")[-1])
    replay = os.path.abspath(sys.argv[1])
    names = sys.argv[2:] or list(CASES)
    failed = 0
    for name in names:
        problems = run_case(replay, name)
        print(f"{name}: " + ("ok" if not problems else "FAILED\n  " + "\n  ".join(problems)))
        failed += bool(problems)
    print(f"{len(names) - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
