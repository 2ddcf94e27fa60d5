#!/usr/bin/env python3
"""The real game in a real window on Xvfb, with the bundled pictures:
it opens titled "Orvanel", a click beside the targets changes nothing, a
click on a target scores within a second and shows that zone's "OW!!", a
polite close request is ignored and Escape ends it with status 0.

usage: play_test.py GAME PICTURES_TOOL PICTURES_DIR"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support", "py"))
from pictures import ZONES, hit_points  # noqa: E402
from xsession import XSession  # noqa: E402

# Each zone's label corner.
LABELS = [(190, 112), (386, 177), (474, 210), (600, 254)]
# The label's glyph rows: O, W, !, ! (leftmost pixel the most significant bit).
GLYPHS = [
    [0x38, 0x6C, 0xC6, 0xC6, 0xC6, 0x6C, 0x38, 0x00],
    [0xC6, 0xC6, 0xC6, 0xD6, 0xFE, 0xEE, 0xC6, 0x00],
    [0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00],
    [0x30, 0x78, 0x78, 0x78, 0x30, 0x00, 0x30, 0x00],
]


def mask_points(tool, pictures):
    """A point well inside a hit area for each zone, and one far from any."""
    black = hit_points(tool, os.path.join(pictures, "mask.bmp"))

    def all_around(x, y, want, reach):
        return all(0 <= x + dx < 720 and 0 <= y + dy < 480 and ((x + dx, y + dy) in black) == want
                   for dx in range(-reach, reach + 1) for dy in range(-reach, reach + 1))

    hits = []
    for low, high in ZONES:
        found = next(((x, y) for y in range(480) for x in range(low, high) if all_around(x, y, True, 2)), None)
        if found is None:
            raise AssertionError(f"mask has no solid hit area in zone x {low}..{high - 1}")
        hits.append(found)
    miss = next((x, y) for y in range(10, 480, 7) for x in range(10, 720, 7) if all_around(x, y, False, 12))
    return hits, miss


def send_close_request(display_name, window):
    from Xlib import X, display, protocol
    connection = display.Display(display_name)
    target = connection.create_resource_object("window", int(window))
    protocols = connection.intern_atom("WM_PROTOCOLS")
    delete = connection.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=target, client_type=protocols,
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    target.send_event(event, event_mask=X.NoEventMask)
    connection.flush()
    connection.close()


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def label_ink(zone):
    left, top = LABELS[zone]
    return [(left + 8 * k + col, top + row) for k, glyph in enumerate(GLYPHS)
            for row in range(8) for col in range(8) if glyph[row] & (0x80 >> col)]


def main():
    game, tool, pictures = (os.path.abspath(arg) for arg in sys.argv[1:4])
    hits, miss = mask_points(tool, pictures)
    with XSession() as x:
        process = x.start([game], cwd=pictures)
        window = x.find_window("Orvanel")
        check(x.title(window) == "Orvanel", f"title: have {x.title(window)!r}, want 'Orvanel'")
        _, _, width, height = x.geometry(window)
        check((width, height) == (720, 480), f"drawing area: have {width}x{height}, want 720x480")
        time.sleep(0.3)

        x.click(window, *miss)
        time.sleep(0.8)
        check(x.title(window) == "Orvanel", f"after a miss at {miss}: have {x.title(window)!r}, want 'Orvanel'")

        zone = 3
        x.click(window, *hits[zone])
        started = time.monotonic()
        have = x.wait_for_title(window, "Orvanel - 1", timeout=1.0)
        took = time.monotonic() - started
        check(have == "Orvanel - 1", f"after a hit at {hits[zone]}: have {have!r}, want 'Orvanel - 1'")
        # The label is drawn in the hit's frame, just after the title is set,
        # and shows for 29 frames (over half a second): look until it is seen.
        wrong = ["no screenshot taken"]
        while wrong and time.monotonic() - started - took < 0.45:
            shot = x.screenshot(window)
            wrong = [(px, py, shot[py][px]) for px, py in label_ink(zone) if shot[py][px] != (0, 0, 0)]
        check(not wrong, f"'OW!!' of zone {zone + 1}: pixels not black: {wrong[:5]}")
        print(f"hit scored {took * 1000:.0f} ms after the click; the label shows")

        send_close_request(x.display, window)
        time.sleep(0.4)
        check(process.poll() is None, "a close request ended the game")
        check(x.title(window) == "Orvanel - 1", "the window is still there after a close request")

        x.key("Escape")
        try:
            status = process.wait(timeout=3)
        except Exception:
            raise AssertionError("Escape did not end the game within 3 s")
        check(status == 0, f"exit status: have {status}, want 0")
        errors = process.stderr.read().decode()
        check(errors == "", f"stderr: have {errors!r}, want nothing")
    print("ok")


if __name__ == "__main__":
    main()
