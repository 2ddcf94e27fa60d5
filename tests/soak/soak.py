#!/usr/bin/env python3
"""Replay soak: orvanel-replay over a long generated script of steady clicking
across all four target zones, checking that resident memory stays flat after
the first thousand frames and that the final title counts every hit.

The script is built from the pictures' own mask: click points are picked on
its opaque black (hits) and elsewhere (misses) in every zone. Every click is
thrown (a released frame comes before each press and far fewer than 1024
shots are ever in flight), and a long released tail lets the last shots land,
so the score at the end is exactly the number of clicks on black."""

import argparse
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time

WIDTH, HEIGHT = 720, 480
# Zone limits on a target's x, and the frames a shot takes to land.
ZONES = [(0, 260), (260, 390), (390, 500), (500, 720)]
FLIGHT = 20
# Released frames after the last click: enough for every shot to land.
TAIL = 400
# Largest resident growth allowed after the first thousand frames.
GROWTH_LIMIT = 1 << 20
BASELINE_FRAME = 1000


def read_mask(path):
    """The mask as a set of (x, y) that read back as opaque black, for the
    uncompressed kinds a mask is stored in."""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP")
    offset, size = struct.unpack_from("<II", data, 10)
    if size == 12:
        width, height, _, bits = struct.unpack_from("<HHHH", data, 18)
        compression, entry = 0, 3
    else:
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        compression = struct.unpack_from("<I", data, 30)[0] if size >= 20 else 0
        entry = 4
    if compression != 0 or bits not in (1, 4, 8, 24, 32):
        raise ValueError(f"{path}: {bits} bits with compression {compression} is not read here")
    alpha_mask = struct.unpack_from("<I", data, 66)[0] if size > 107 else 0
    top_down = height < 0
    rows = abs(height)
    palette = []
    if bits <= 8:
        count = min((offset - 14 - size) // entry, 1 << bits)
        for i in range(count):
            b, g, r = data[14 + size + i * entry:14 + size + i * entry + 3]
            palette.append((r, g, b) == (0, 0, 0))
    stride = (width * bits + 31) // 32 * 4
    black = set()
    for file_row in range(min(rows, (len(data) - offset) // stride)):
        y = file_row if top_down else rows - 1 - file_row
        if y >= HEIGHT:
            continue
        row = data[offset + file_row * stride:offset + (file_row + 1) * stride]
        for x in range(min(width, WIDTH)):
            if bits <= 8:
                bit = x * bits
                index = (row[bit // 8] >> (8 - bits - bit % 8)) & ((1 << bits) - 1)
                hit = index < len(palette) and palette[index]
            elif bits == 24:
                hit = row[3 * x:3 * x + 3] == b"\0\0\0"
            else:
                value = struct.unpack_from("<I", row, 4 * x)[0]
                hit = value & 0xFFFFFF == 0 and (alpha_mask == 0 or value & alpha_mask == alpha_mask)
            if hit:
                black.add((x, y))
    return black


def pick_points(black, per_zone, rng):
    """per_zone hit points and as many miss points in every zone."""
    points = []
    for left, right in ZONES:
        hits = sorted(p for p in black if left <= p[0] < right)
        if not hits:
            raise ValueError(f"the mask has no black in zone x {left}..{right - 1}")
        points += [(p, True) for p in rng.sample(hits, min(per_zone, len(hits)))]
        misses = 0
        while misses < per_zone:
            p = (rng.randrange(left, right), rng.randrange(HEIGHT))
            if p not in black:
                points.append((p, False))
                misses += 1
    return points


def make_script(frames, points, rng):
    """Script lines for `frames` frames, and the number of hits they imply.
    Steady clicks (one every 20 frames, each landing before the next) alternate
    with rapid bursts (one every 2 frames, many shots in flight at once)."""
    lines, used, hits, clicks = [], 0, 0, 0
    while True:
        burst = rng.random() < 0.5
        count = rng.randrange(5, 40) if burst else rng.randrange(1, 6)
        gap = 1 if burst else FLIGHT - 1
        block = count * (1 + gap) + (FLIGHT * 2 if burst else 0)
        if used + block > frames - TAIL:
            break
        for _ in range(count):
            (x, y), black = points[clicks % len(points)]
            clicks += 1
            hits += black
            lines.append(f"{x} {y} 1")
            lines.append(f"{gap}* {x} {y} 0")
        if burst:
            lines.append(f"{FLIGHT * 2}* {x} {y} 0")
        used += block
    lines.append(f"{frames - used}* 360 240 0")
    return lines, clicks, hits


def resident_bytes(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
    except OSError:
        pass
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--replay", required=True, help="the orvanel-replay executable")
    parser.add_argument("--pictures", required=True, help="the folder with background.bmp and mask.bmp")
    parser.add_argument("--frames", type=int, default=200_000)
    parser.add_argument("--seed", type=int, default=7)
    args = parser.parse_args()
    replay_path = os.path.abspath(args.replay)

    rng = random.Random(args.seed)
    black = read_mask(os.path.join(args.pictures, "mask.bmp"))
    lines, clicks, hits = make_script(args.frames, pick_points(black, 12, rng), rng)
    want_title = f"Orvanel - {hits}" if hits else "Orvanel"

    work = tempfile.mkdtemp(prefix="orvanel-soak-")
    try:
        for name in ("background.bmp", "mask.bmp"):
            shutil.copy(os.path.join(args.pictures, name), work)
        script = os.path.join(work, "soak.script")
        with open(script, "w") as out:
            out.write("# generated by soak.py\n" + "\n".join(lines) + "\n")
        start = time.monotonic()
        replay = subprocess.Popen([replay_path, script], cwd=work, stdout=subprocess.PIPE, text=True)
        baseline = peak = None
        last_frame, last_title = 0, ""
        for line in replay.stdout:
            frame, title, _ = line.rstrip("\n").split("\t")
            last_frame, last_title = int(frame), title
            if last_frame % 250 == 0:
                rss = resident_bytes(replay.pid)
                if rss is not None and last_frame >= BASELINE_FRAME:
                    baseline = rss if baseline is None else baseline
                    peak = rss if peak is None else max(peak, rss)
        status = replay.wait()
        elapsed = time.monotonic() - start
    finally:
        shutil.rmtree(work, ignore_errors=True)

    growth = (peak - baseline) if baseline is not None else None
    print(f"frames {last_frame} of {args.frames}, clicks {clicks}, hits implied {hits}, {elapsed:.1f} s")
    if baseline is not None:
        print(f"resident memory at frame {BASELINE_FRAME}: {baseline / 1024:.0f} KiB, "
              f"peak after it: {peak / 1024:.0f} KiB, growth: {growth / 1024:.0f} KiB")
    print(f"final title: \"{last_title}\" (want \"{want_title}\")")
    failures = []
    if status != 0:
        failures.append(f"orvanel-replay exited with {status}")
    if last_frame != args.frames:
        failures.append(f"the replay ran {last_frame} frames, want {args.frames}")
    if last_title != want_title:
        failures.append(f"final title \"{last_title}\", want \"{want_title}\"")
    if growth is None:
        failures.append("resident memory was never sampled")
    elif growth >= GROWTH_LIMIT:
        failures.append(f"resident memory grew {growth} bytes after frame {BASELINE_FRAME}")
    for failure in failures:
        print("FAIL: " + failure)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
