#!/usr/bin/env python3
"""Takes the README's screenshot: the real game on Xvfb with the bundled
pictures, one target just hit (its "OW!!" showing) and a second shot in
flight. Rerun it after any change to the scene or the drawing.

usage: tools/screenshot.py GAME PICTURES_TOOL PICTURES_DIR OUT.png"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "game_window"))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "py"))
from play_test import mask_points  # noqa: E402
from xsession import XSession  # noqa: E402


def main():
    game, tool, pictures = (os.path.abspath(arg) for arg in sys.argv[1:4])
    out = os.path.abspath(sys.argv[4])
    hits, _ = mask_points(tool, pictures)
    with XSession() as x:
        process = x.start([game], cwd=pictures)
        window = x.find_window("Orvanel")
        x.click(window, 5, 5)  # the pointer enters the window first
        time.sleep(0.5)
        x.click(window, *hits[1])
        if x.wait_for_title(window, "Orvanel - 1", timeout=2) != "Orvanel - 1":
            raise SystemExit("the first shot did not score")
        x.click(window, hits[3][0], hits[3][1] - 40, hold=0.03)
        time.sleep(0.12)
        wx, wy, w, h = x.geometry(window)
        x.run("import", "-window", "root", "-crop", f"{w}x{h}+{wx}+{wy}", "+repage", out)
        x.key("Escape")
        process.wait(timeout=3)
    print(f"wrote {out}")


if __name__ == "__main__":
    main()
