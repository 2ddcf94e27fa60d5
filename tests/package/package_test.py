#!/usr/bin/env python3
"""The Debian package, installed for real and removed again (run as root).

usage: package_test.py PACKAGE.deb

1. dpkg installs it; every file it lists is there, and the names that tie
   the desktop entry, the metainfo, the icon and the manual pages together
   are found where a desktop and man look for them.
2. The game started exactly as the desktop entry's Exec says, under Xvfb,
   from a folder holding other pictures: the bundled scene shows, the
   window's class is the entry's StartupWMClass, a click on a target scores
   and Escape ends it with status 0.
3. The launcher from a terminal: in an empty folder it plays the bundled
   scene; in a folder holding other pictures, or given that folder, it
   plays those; --help, a missing folder and a bad command line answer at
   once.
4. dpkg removes it, and nothing it installed remains."""

import configparser
import os
import shlex
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support", "py"))
from bmp import mask1, scene24  # noqa: E402
from pictures import hit_points, read_pam  # noqa: E402
from xsession import XSession  # noqa: E402

PACKAGE = "orvanel"
DESKTOP = "/usr/share/applications/orvanel.desktop"
LAUNCHER = "/usr/games/orvanel"
PICTURES_TOOL = "/usr/bin/orvanel-pictures"
BUNDLED = "/usr/share/games/orvanel"
WIDTH, HEIGHT = 720, 480


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, text=True, timeout=60, **kwargs)


def installed():
    status = run("dpkg-query", "-W", "-f=${Status}", PACKAGE).stdout
    return "install ok installed" in status


def listed_paths(deb):
    """Every path the package holds, folders included, as absolute paths."""
    listing = run("dpkg-deb", "-c", deb)
    check(listing.returncode == 0, f"dpkg-deb -c: have status {listing.returncode}: {listing.stderr.strip()}")
    return [os.path.normpath(line.split(None, 5)[5].split(" -> ")[0].lstrip(".")) for line in listing.stdout.splitlines()]


def scene_of(folder):
    """The RGB bytes the game shows from folder's background.bmp, read by the
    installed checker exactly as the game reads it."""
    with tempfile.TemporaryDirectory() as scratch:
        out = os.path.join(scratch, "scene.pam")
        run(PICTURES_TOOL, "--dump", os.path.join(folder, "background.bmp"), out)
        width, height, rgba = read_pam(out)
    check((width, height) == (WIDTH, HEIGHT), f"dumped scene: have {width}x{height}, want {WIDTH}x{HEIGHT}")
    return bytes(b for i, b in enumerate(rgba) if i % 4 != 3)


def solid_hit(folder):
    """A point of folder's mask with hits all around it, in the nearest zone
    that has one."""
    black = hit_points(PICTURES_TOOL, os.path.join(folder, "mask.bmp"))
    for x, y in sorted(black, key=lambda p: (-p[0], p[1])):
        if all((x + dx, y + dy) in black for dx in range(-3, 4) for dy in range(-3, 4)):
            return x, y
    raise Failure(f"the mask of {folder} has no solid hit area")


def wait_for_scene(x, window, want, timeout=3.0):
    """Screenshots until the window shows want, or says where it differs."""
    deadline = time.monotonic() + timeout
    while True:
        have = x.screenshot(window).data
        if have == want:
            return
        if time.monotonic() > deadline:
            break
        time.sleep(0.1)
    wrong = [i // 3 for i in range(0, len(want), 3) if have[i:i + 3] != want[i:i + 3]]
    first = wrong[0] if wrong else 0
    raise Failure(f"{len(wrong)} pixels differ from the scene; first at ({first % WIDTH}, {first // WIDTH}): "
                  f"have {tuple(have[first * 3:first * 3 + 3])}, want {tuple(want[first * 3:first * 3 + 3])}")


def play(x, command, cwd, scene, hit, wm_class=None):
    """Starts command in cwd, checks the scene shows and a click at hit
    scores, then ends the game with Escape."""
    process = x.start(command, cwd=cwd)
    try:
        try:
            window = x.find_window("Orvanel")
        except AssertionError:
            status = process.poll()
            errors = process.stderr.read().decode() if status is not None else "(still running)"
            raise Failure(f"{' '.join(command)}: no window within 10 s; exit status {status}, stderr {errors!r}")
        wait_for_scene(x, window, scene)
        if wm_class is not None:
            have = x.run("xprop", "-id", window, "WM_CLASS").stdout.strip()
            want = f'WM_CLASS(STRING) = "{wm_class}", "{wm_class}"'
            check(have == want, f"window class: have {have!r}, want {want!r}")
        # A press throws only after a frame that saw the pointer over the
        # window with no button held.
        wx, wy, _, _ = x.geometry(window)
        x.run("xdotool", "mousemove", str(wx + hit[0]), str(wy + hit[1]))
        time.sleep(0.2)
        x.click(window, *hit)
        title = x.wait_for_title(window, "Orvanel - 1", timeout=1.5)
        check(title == "Orvanel - 1", f"after a click at {hit}: have title {title!r}, want 'Orvanel - 1'")
        x.key("Escape")
        status = process.wait(timeout=5)
        check(status == 0, f"exit status after Escape: have {status}, want 0")
        errors = process.stderr.read().decode()
        check(errors == "", f"stderr: have {errors!r}, want nothing")
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def write_other_pictures(folder):
    """A modder's pair: a colour ramp, and a mask black over the left half."""
    with open(os.path.join(folder, "background.bmp"), "wb") as out:
        out.write(scene24(WIDTH, HEIGHT, lambda x, y: (x * 255 // (WIDTH - 1), y * 255 // (HEIGHT - 1), 90)))
    with open(os.path.join(folder, "mask.bmp"), "wb") as out:
        out.write(mask1(WIDTH, HEIGHT, lambda x, y: x < WIDTH // 2))


def check_installed_files(paths):
    missing = [p for p in paths if not os.path.lexists(p)]
    check(not missing, f"installed files missing: {missing[:5]}")
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(DESKTOP)
    desktop = entry["Desktop Entry"]
    icon = f"/usr/share/icons/hicolor/48x48/apps/{desktop['Icon']}.png"
    check(os.path.exists(icon), f"Icon={desktop['Icon']}: have no {icon}")
    check(os.path.exists(desktop["TryExec"]), f"TryExec: have no {desktop['TryExec']}")
    metainfo = [p for p in paths if p.startswith("/usr/share/metainfo/") and p.endswith(".metainfo.xml")]
    check(len(metainfo) == 1, f"metainfo files: have {metainfo}, want one")
    root = ElementTree.parse(metainfo[0]).getroot()
    launchable = root.findtext("launchable")
    check(launchable == os.path.basename(DESKTOP), f"metainfo launchable: have {launchable!r}, want "
                                                   f"{os.path.basename(DESKTOP)!r}")
    for name, section in (("orvanel", "6"), ("orvanel-pictures", "1"), ("orvanel-replay", "1")):
        found = run("man", "-w", section, name).stdout.strip()
        want = f"/usr/share/man/man{section}/{name}.{section}.gz"
        check(found == want, f"man -w {section} {name}: have {found!r}, want {want!r}")
    return desktop


def check_launcher_answers(empty):
    """The launcher's answers that need no window: (arguments, status, what
    it must say)."""
    missing = os.path.join(empty, "no-such-folder")
    cases = [
        (["--help"], 0, "usage: orvanel [DIR]"),
        ([missing], 2, f"there is no folder '{missing}'"),
        ([os.path.join(BUNDLED, "mask.bmp")], 2, "is not a folder"),
        (["--fast"], 2, "unknown option '--fast'"),
        ([empty, empty], 2, "usage: orvanel [DIR]"),
    ]
    for args, want_status, want_words in cases:
        result = run(LAUNCHER, *args, cwd=empty)
        said = result.stdout + result.stderr
        check(result.returncode == want_status and want_words in said,
              f"orvanel {' '.join(args)}: have status {result.returncode} saying {said.strip()!r}, "
              f"want status {want_status} saying {want_words!r}")


def main():
    deb = os.path.abspath(sys.argv[1])
    check(os.geteuid() == 0, "package_test.py installs a package: run it as root")
    paths = listed_paths(deb)
    if installed():
        run("dpkg", "--purge", PACKAGE)
    existed = {p for p in paths if os.path.lexists(p)}
    result = run("dpkg", "-i", deb)
    check(result.returncode == 0, f"dpkg -i: have status {result.returncode}: {result.stderr.strip()}")
    started = time.monotonic()
    try:
        print(f"installed {len(paths)} paths")
        desktop = check_installed_files(paths)
        exec_line = shlex.split(desktop["Exec"])
        check(not any("%" in word for word in exec_line), f"Exec has field codes: {desktop['Exec']!r}")
        bundled_scene = scene_of(BUNDLED)
        bundled_hit = solid_hit(BUNDLED)
        with tempfile.TemporaryDirectory() as empty, tempfile.TemporaryDirectory() as other:
            write_other_pictures(other)
            other_scene = scene_of(other)
            other_hit = (100, 240)
            check_launcher_answers(empty)
            # Each game on a display of its own: Xvfb resets when its last
            # client leaves, and a game started during the reset finds no
            # display.
            games = [
                (f"menu entry: {desktop['Exec']}, from a folder of other pictures", exec_line, other,
                 bundled_scene, bundled_hit, desktop["StartupWMClass"]),
                ("orvanel in an empty folder", [LAUNCHER], empty, bundled_scene, bundled_hit, None),
                ("orvanel in a folder of other pictures", [LAUNCHER], other, other_scene, other_hit, None),
                ("orvanel DIR from an empty folder", [LAUNCHER, other], empty, other_scene, other_hit, None),
            ]
            for name, command, cwd, scene, hit, wm_class in games:
                print(name)
                with XSession() as x:
                    play(x, command, cwd, scene, hit, wm_class)
    finally:
        removed = run("dpkg", "--purge", PACKAGE)
    check(removed.returncode == 0, f"dpkg --purge: have status {removed.returncode}: {removed.stderr.strip()}")
    left = [p for p in paths if p not in existed and os.path.lexists(p)]
    check(not left, f"after removal {len(left)} paths remain: {left[:5]}")
    print(f"removed; none of its {len(paths) - len(existed)} own paths remain ({time.monotonic() - started:.1f} s)")
    print("ok")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAILED: {failure}")
        sys.exit(1)
