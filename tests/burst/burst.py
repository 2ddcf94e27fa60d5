#!/usr/bin/env python3
"""Input burst under ThreadSanitizer: builds the game with
-DORVANEL_SANITIZE=thread (build-bench-tsan), starts it on a fresh Xvfb in the
folder of the bundled pictures, and within about a second sends it hundreds
of clicks, pointer moves and key presses through xdotool, while the window
thread services them and the game thread reads them. Then Escape. Passes when
the game ends with status 0 and ThreadSanitizer reported nothing.

usage: burst.py [--game PATH --pictures-tool PATH] [--clicks N] [--keys N]"""

import argparse
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PICTURES = os.path.join(ROOT, "pictures")
BUILD = os.path.join(ROOT, "build-bench-tsan")
sys.path.insert(0, os.path.join(ROOT, "support", "py"))
from pictures import hit_points  # noqa: E402
from xsession import XSession  # noqa: E402
# Keys that are read and ignored: letters, digits, named keys, arrows.
# Held clicks made on a target after the burst.
AFTER_CLICKS = 5
KEYS = ["a", "z", "5", "space", "Return", "BackSpace", "Tab", "Left", "Right", "Up", "Down", "F5", "Home",
        "Delete"]


def target_point(tool):
    """A black point of the bundled mask."""
    black = sorted(hit_points(tool, os.path.join(PICTURES, "mask.bmp")))
    if not black:
        sys.exit("burst: the mask has no black point")
    return black[len(black) // 2]


def build():
    subprocess.run(["cmake", "-S", ROOT, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DORVANEL_SANITIZE=thread", "-DORVANEL_TESTS=OFF", "-DORVANEL_WINDOW=ON"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["ninja", "-C", BUILD, "-j2", "orvanel", "orvanel-pictures"], check=True,
                   stdout=subprocess.DEVNULL)
    return os.path.join(BUILD, "game", "orvanel"), os.path.join(BUILD, "tools", "orvanel-pictures")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--game", help="a game built with -DORVANEL_SANITIZE=thread (default: build one)")
    parser.add_argument("--pictures-tool", help="the orvanel-pictures executable (default: build one)")
    parser.add_argument("--clicks", type=int, default=300)
    parser.add_argument("--keys", type=int, default=300)
    args = parser.parse_args()
    if args.game and args.pictures_tool:
        game, tool = os.path.abspath(args.game), os.path.abspath(args.pictures_tool)
    else:
        game, tool = build()

    problems = []
    with XSession() as x:
        env = dict(x.env, TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1")
        process = subprocess.Popen([game], cwd=PICTURES, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                   text=True)
        found = subprocess.run(["timeout", "20", "xdotool", "search", "--sync", "--onlyvisible", "--name", "^Orvanel"],
                               env=env, capture_output=True, text=True).stdout.split()
        if not found:
            process.kill()
            sys.exit("burst: the game's window did not appear\n" + process.communicate()[1])
        window = found[0]
        time.sleep(0.5)

        # Clicks hop between four places; keys cycle through KEYS; both at once.
        hops = 4
        clicks = []
        for i in range(hops):
            clicks += ["mousemove", "--window", window, str(120 + 150 * i), str(150 + 60 * i),
                       "click", "--repeat", str(args.clicks // hops), "--delay", "2", "1"]
        rounds = max(1, args.keys // len(KEYS))
        started = time.monotonic()
        clicker = subprocess.Popen(["xdotool"] + clicks, env=env)
        typist = subprocess.Popen(["xdotool", "key", "--delay", "2", "--repeat", str(rounds)] + KEYS, env=env)
        clicker.wait()
        typist.wait()
        burst = time.monotonic() - started
        # Then clicks held as a hand holds them, on a target, which the game
        # must still see and score after the burst.
        target = target_point(tool)
        subprocess.run(["xdotool", "mousemove", "--window", window, str(target[0]), str(target[1])] +
                       ["mousedown", "1", "sleep", "0.05", "mouseup", "1", "sleep", "0.05"] * AFTER_CLICKS, env=env)
        time.sleep(1.0)
        title = subprocess.run(["xdotool", "getwindowname", window], env=env, capture_output=True,
                               text=True).stdout.strip()
        subprocess.run(["xdotool", "key", "Escape"], env=env)
        try:
            _, errors = process.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            _, errors = process.communicate()
            problems.append("Escape did not end the game within 10 s")
        print(f"burst: {hops * (args.clicks // hops)} clicks and {rounds * len(KEYS)} keys in {burst:.2f} s; "
              f"title afterwards \"{title}\"; exit status {process.returncode}")
        if process.returncode != 0:
            problems.append(f"exit status {process.returncode}, want 0")
        if not title.startswith("Orvanel - "):
            problems.append(f"the held clicks after the burst scored nothing (title \"{title}\")")
        if "ThreadSanitizer" in errors:
            problems.append("ThreadSanitizer reported:\n" + errors)
        elif errors.strip():
            print("stderr:\n" + errors)
    for problem in problems:
        print("FAIL: " + problem)
    print("clean" if not problems else "NOT clean")
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
