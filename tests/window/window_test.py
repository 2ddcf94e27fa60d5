#!/usr/bin/python3
"""Drives window_check in a real window under Xvfb and checks what it sees.

Usage: window_test.py PART WINDOW_CHECK
  no_display   without a display the program says why and fails at once
  window       no window manager: title, size, picture, mouse, keys, close
               request, and a full-screen switch that cannot happen
  full_screen  under openbox: Alt+Enter to full screen and back, the mouse
               in the letterboxed picture, Alt+F4 and the close request
  repaint      under openbox: the frame changed while the window was covered,
               minimised or in full screen shows whole once it is back
  focus        under openbox: a button held while another window takes the
               focus and released over it does not cost the next press

Needs Xvfb (xvfb), xdotool, openbox and python3-xlib. Every process it
starts dies with it, and every wait has a time limit.
"""

import ctypes
import os
import signal
import subprocess
import sys
import threading
import time

try:
    from Xlib import X, XK, display as xdisplay, error as xerror, protocol
except ImportError:
    sys.exit("window_test.py needs python3-xlib for this python (" + sys.executable + ")")

WIDTH, HEIGHT = 720, 480
SCREEN_W, SCREEN_H = 1280, 1024
TITLE = "Orvanel window test"
# The whole run must end well inside CTest's limit, cleaning up as it goes.
RUN_LIMIT_S = 100


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def die_with_parent():
    """Run in each child: it gets SIGKILL if this script dies first."""
    libc = ctypes.CDLL("libc.so.6", use_errno=True)
    pr_set_pdeathsig = 1
    libc.prctl(pr_set_pdeathsig, signal.SIGKILL)


STARTED = time.monotonic()


def step(name):
    """Marks the start of a check in the log."""
    print(f"[{time.monotonic() - STARTED:5.2f} s] {name}", flush=True)


def wait_for(probe, timeout, what):
    """Polls probe until it returns something true, and returns that."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.05)


def known_pixel(x, y):
    """The frame window_check draws, as (red, green, blue)."""
    return (x & 0xFF, y & 0xFF, 5 + 16 * (x >> 8) + 64 * (y >> 8))


# The known frame as the X server stores it: blue, green, red, pad.
KNOWN_FRAME = bytes(b for y in range(HEIGHT) for x in range(WIDTH)
                    for b in (known_pixel(x, y)[2], known_pixel(x, y)[1], known_pixel(x, y)[0], 0))
# The same with its colours turned over, as window_check's "invert" makes it.
INVERTED_FRAME = bytes(b ^ 0xFF if i % 4 != 3 else b for i, b in enumerate(KNOWN_FRAME))


def wait_until_right(find_wrong, timeout, what):
    """Polls find_wrong until it finds nothing wrong."""
    end = time.monotonic() + timeout
    while True:
        wrong = find_wrong()
        if not wrong:
            return
        if time.monotonic() > end:
            raise Failure(f"{what}: wrong pixels (x, y, have, want) {wrong[:3]}")
        time.sleep(0.1)


def letterbox(window_w, window_h):
    """Where the picture lands in a window: (x, y, w, h)."""
    if window_w * HEIGHT <= window_h * WIDTH:
        w, h = window_w, window_w * HEIGHT // WIDTH
    else:
        w, h = window_h * WIDTH // HEIGHT, window_h
    return ((window_w - w) // 2, (window_h - h) // 2, w, h)


class Session:
    """An X server, maybe a window manager, and window_check running on it."""

    def __init__(self, program):
        self.program = program
        self.children = []
        self.lines = []
        self.lines_changed = threading.Condition()
        self.cursor = 0
        self.xvfb = None
        self.dpy = None
        self.env = None
        self.app = None
        self.window = None
        self.wid = None

    # --- processes ---

    def spawn(self, args, **kwargs):
        child = subprocess.Popen(args, env=self.env, preexec_fn=die_with_parent, **kwargs)
        self.children.append(child)
        return child

    def start_x(self):
        # Xvfb picks a free display number itself and writes it to the pipe.
        read_end, write_end = os.pipe()
        self.env = dict(os.environ)
        self.xvfb = self.spawn(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        end = time.monotonic() + 15
        while not number.endswith(b"\n"):
            check(time.monotonic() < end, "Xvfb gave no display number")
            chunk = os.read(read_end, 16)
            check(chunk, "Xvfb ended before it gave a display number")
            number += chunk
        os.close(read_end)
        name = ":" + number.decode().strip()
        self.env.update(DISPLAY=name, SDL_VIDEODRIVER="x11")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.dpy = wait_for(lambda: self.try_connect(name), 10, "the X server to answer")
        self.bind_spare_key("eacute")

    def bind_spare_key(self, name):
        """Puts a keysym the keyboard lacks on an unused key before the
        window starts; xdotool would otherwise remap a key for each press,
        racing the window's reading of the new map."""
        first = self.dpy.display.info.min_keycode
        count = self.dpy.display.info.max_keycode - first + 1
        table = self.dpy.get_keyboard_mapping(first, count)
        spare = next(first + i for i, syms in enumerate(table) if not any(syms))
        keysym = XK.string_to_keysym(name)
        self.dpy.change_keyboard_mapping(spare, [[keysym] * len(table[0])])
        self.dpy.sync()

    @staticmethod
    def try_connect(name):
        try:
            return xdisplay.Display(name)
        except Exception:
            return None

    def start_window_manager(self):
        self.spawn(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        check_atom = self.dpy.intern_atom("_NET_SUPPORTING_WM_CHECK")
        root = self.dpy.screen().root
        wait_for(lambda: root.get_full_property(check_atom, X.AnyPropertyType), 10, "openbox to start")
        # Openbox announces itself before it frames new windows, and a window
        # mapped in between stays unmapped (SDL would wait for it forever):
        # map probe windows until openbox frames one.
        end = time.monotonic() + 10
        while True:
            probe = root.create_window(0, 0, 10, 10, 0, X.CopyFromParent)
            probe.map()
            self.dpy.sync()
            give_up = time.monotonic() + 0.5
            while probe.query_tree().parent == root and time.monotonic() < give_up:
                time.sleep(0.02)
            framed = probe.query_tree().parent != root
            probe.destroy()
            self.dpy.sync()
            if framed:
                return
            check(time.monotonic() < end, "openbox never framed a window")

    def start_program(self):
        self.app = self.spawn([self.program], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        threading.Thread(target=self.read_output, daemon=True).start()
        self.expect("ready", 15)

    def read_output(self):
        for raw in self.app.stdout:
            with self.lines_changed:
                self.lines.append(raw.decode("latin-1").rstrip("\n"))
                self.lines_changed.notify_all()
        with self.lines_changed:
            self.lines.append(None)  # end of output
            self.lines_changed.notify_all()

    def send(self, command):
        self.app.stdin.write(command + b"\n")
        self.app.stdin.flush()

    def stop(self):
        for child in reversed(self.children):
            if child.poll() is None:
                child.terminate()
                try:
                    child.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    child.kill()
                    child.wait(timeout=5)

    # --- output of window_check ---

    def expect(self, wanted, timeout=3):
        """Waits for the line wanted after the cursor and moves past it."""
        end = time.monotonic() + timeout
        with self.lines_changed:
            while True:
                while self.cursor < len(self.lines):
                    line = self.lines[self.cursor]
                    check(line is not None, f"window_check ended while waiting for {wanted!r}")
                    self.cursor += 1
                    if line == wanted:
                        return
                left = end - time.monotonic()
                if left <= 0:
                    seen = self.lines[-8:]
                    raise Failure(f"have {seen!r} last, want {wanted!r}")
                self.lines_changed.wait(left)

    def keys_until(self, sentinel, timeout=3):
        """The key lines up to and including sentinel, from the cursor on."""
        start = self.cursor
        self.expect(sentinel, timeout)
        with self.lines_changed:
            return [line for line in self.lines[start:self.cursor] if line.startswith("key")]

    # --- the window on the X server ---

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=10,
                       stdout=subprocess.DEVNULL)

    def find_window(self):
        root = self.dpy.screen().root

        def search(window):
            try:
                if window.get_wm_name() == TITLE:
                    return window
                for child in window.query_tree().children:
                    found = search(child)
                    if found:
                        return found
            except xerror.XError:
                pass
            return None

        self.window = wait_for(lambda: search(root), 10, "the window to appear")
        self.wid = str(self.window.id)

    def area(self):
        """The window's drawing area on the screen: (x, y, w, h)."""
        geometry = self.window.get_geometry()
        origin = self.window.translate_coords(self.dpy.screen().root, 0, 0)
        return (-origin.x, -origin.y, geometry.width, geometry.height)

    def title(self):
        return subprocess.run(["xdotool", "getwindowname", self.wid], env=self.env, check=True,
                              timeout=10, capture_output=True).stdout.decode().rstrip("\n")

    def screenshot(self, x, y, w, h):
        """The screen's pixels from (x, y) on as bytes: blue, green, red, pad."""
        check(self.dpy.display.info.image_byte_order == X.LSBFirst, "expected an LSB-first X server")
        image = self.dpy.screen().root.get_image(x, y, w, h, X.ZPixmap, 0xFFFFFFFF)
        check(len(image.data) == 4 * w * h, f"screenshot of {len(image.data)} bytes for {w}x{h}")
        return image.data

    def frame_mismatches(self, frame=KNOWN_FRAME):
        """Pixels of the drawing area that are not the frame, as (x, y, have,
        want), the first few only."""
        x, y, _, _ = self.area()
        shot = self.screenshot(x, y, WIDTH, HEIGHT)
        if all(shot[channel::4] == frame[channel::4] for channel in range(3)):
            return []
        wrong = []
        for i in range(WIDTH * HEIGHT):
            if shot[4 * i:4 * i + 3] != frame[4 * i:4 * i + 3]:
                have = tuple(shot[4 * i + 2::-1][:3])
                wrong.append((i % WIDTH, i // WIDTH, have, tuple(frame[4 * i + 2::-1][:3])))
                if len(wrong) == 3:
                    break
        return wrong

    def client_message(self, window, type_name, data):
        event = protocol.event.ClientMessage(
            window=window, client_type=self.dpy.intern_atom(type_name),
            data=(32, data + [0] * (5 - len(data))))
        return event

    def polite_close(self):
        """WM_DELETE_WINDOW straight to the window, as a window manager sends it."""
        event = self.client_message(
            self.window, "WM_PROTOCOLS", [self.dpy.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime])
        self.window.send_event(event)
        self.dpy.flush()

    def close_through_window_manager(self):
        """_NET_CLOSE_WINDOW to the root: the window manager's close box."""
        root = self.dpy.screen().root
        event = self.client_message(self.window, "_NET_CLOSE_WINDOW", [X.CurrentTime, 2])
        root.send_event(event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        self.dpy.flush()

    def quit_program(self):
        self.send(b"quit")
        code = self.app.wait(timeout=10)
        check(code == 0, f"window_check exit status: have {code}, want 0")


# --- the parts ---

def part_no_display(program):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    began = time.monotonic()
    done = subprocess.run([program], env=env, stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=20, preexec_fn=die_with_parent)
    took = time.monotonic() - began
    said = done.stderr.decode(errors="replace")
    check(done.returncode != 0, f"exit status without a display: have {done.returncode}, want non-zero")
    prefix = "Orvanel: cannot open a 720x480 window: "
    # Display libraries may add lines of their own; ours must be there.
    ours = [line for line in said.splitlines() if line.startswith(prefix) and len(line) > len(prefix)]
    check(ours, f"message: have {said!r}, want a line {prefix!r} and a reason")
    check(took < 5, f"without a display it took {took:.1f} s to give up")
    print(f"no display: {ours[0]!r} after {took:.2f} s")


def check_window_basics(s):
    step("title, size and picture")
    check(s.title() == TITLE, f"title: have {s.title()!r}, want {TITLE!r}")
    for sent, shown in ((b"Orvanel - 7", "Orvanel - 7"), (b"Orvanel \xe9t\xe9", "Orvanel été")):
        s.send(b"title " + sent)
        s.expect("titled")
        # setTitle has returned: the server must hold the new title now.
        check(s.title() == shown, f"title right after setTitle: have {s.title()!r}, want {shown!r}")
    _, _, w, h = s.area()
    check((w, h) == (WIDTH, HEIGHT), f"drawing area: have {w}x{h}, want {WIDTH}x{HEIGHT}")
    wait_until_right(s.frame_mismatches, 5, "the frame")


def move(s, x, y):
    """Moves the pointer to (x, y) of the drawing area."""
    ax, ay, _, _ = s.area()
    s.xdotool("mousemove", str(ax + x), str(ay + y))


def check_mouse(s):
    step("mouse")
    # Each button at a point of its own, the corners included.
    cases = [(1, 1, 0, 0), (3, 2, 719, 479), (2, 4, 360, 240), (8, 8, 1, 478), (9, 16, 718, 1)]
    for x_button, bit, x, y in cases:
        move(s, x, y)
        s.expect(f"mouse {x} {y} 0 0 0")
        s.xdotool("mousedown", str(x_button))
        s.expect(f"mouse {x} {y} 0 {bit} 0")
        s.xdotool("mouseup", str(x_button))
        s.expect(f"mouse {x} {y} 0 0 0")
    s.xdotool("click", "4")
    s.expect("mouse 718 1 1 0 0")
    s.xdotool("click", "5", "click", "5")
    s.expect("mouse 718 1 -1 0 0")
    # Just past the right and bottom edges, and just before the left one.
    for x, y in ((720, 100), (100, 480), (-1, 100)):
        move(s, 50, 60)
        s.expect("mouse 50 60 -1 0 0")
        move(s, x, y)
        s.expect("mouse -1 -1 -1 -1 -1")
    # A release outside the window is still seen.
    move(s, 50, 60)
    s.expect("mouse 50 60 -1 0 0")
    s.xdotool("mousedown", "1")
    s.expect("mouse 50 60 -1 1 0")
    move(s, 800, 60)
    s.expect("mouse -1 -1 -1 -1 -1")
    s.xdotool("mouseup", "1")
    time.sleep(0.1)
    move(s, 50, 60)
    s.expect("mouse 50 60 -1 0 0")


def check_keys(s):
    step("keys")
    s.xdotool("key", "a", "Escape", "Up", "z")
    have = s.keys_until("key 7a")
    want = ["key 61", "key 1b", "key ff 48", "key 7a"]
    check(have == want, f"keys: have {have}, want {want}")

    # Keys that type nothing, control keys, a modifier alone, Alt+F4 (never
    # a key), shifted and accented letters, a keypad key that moves and one
    # that types; z ends the run.
    s.xdotool("key", "Return", "Tab", "BackSpace", "Delete", "Insert", "Home", "End", "Prior", "Next",
              "Down", "Left", "Right", "F1", "F10", "F11", "F12", "ctrl+c", "shift", "alt+F4",
              "shift+a", "eacute", "KP_Home", "KP_8", "z")
    have = s.keys_until("key 7a")
    want = ["key 0d", "key 09", "key 08", "key ff 53", "key ff 52", "key ff 47", "key ff 4f",
            "key ff 49", "key ff 51", "key ff 50", "key ff 4b", "key ff 4d", "key ff 3b", "key ff 44",
            "key ff 85", "key ff 86", "key 03", "key 41", "key e9", "key ff 47", "key 38", "key 7a"]
    check(have == want, f"keys: have {have}, want {want}")

    # A held key repeats, one entry per repeat.
    s.xdotool("keydown", "b")
    time.sleep(1.2)
    s.xdotool("keyup", "b", "key", "z")
    have = s.keys_until("key 7a")
    check(len(have) >= 4 and set(have[:-1]) == {"key 62"}, f"held b: have {have}, want several 'key 62'")


def check_one_close_request(s):
    """A close request just sent queues exactly one key and closes nothing."""
    have = s.keys_until("key ff 6b")
    check(have == ["key ff 6b"], f"close request: have {have}, want ['key ff 6b']")
    s.xdotool("key", "z")
    have = s.keys_until("key 7a")
    check(have == ["key 7a"], f"after the close request: have {have}, want ['key 7a']")
    check(s.app.poll() is None and s.area()[2:] == (WIDTH, HEIGHT), "the window closed on a close request")


def part_window(program):
    s = Session(program)
    try:
        s.start_x()
        s.start_program()
        s.find_window()
        check_window_basics(s)
        check_mouse(s)
        check_keys(s)

        # A polite close request queues one key and leaves the window open.
        step("close request")
        s.polite_close()
        check_one_close_request(s)

        # Without a window manager full screen cannot happen: the window
        # returns to its own size, and the picture and the mouse are one to
        # one again.
        step("full screen without a window manager")
        move(s, 30, 40)
        s.expect("mouse 30 40 -1 0 0")
        s.xdotool("key", "alt+Return")
        time.sleep(1.6)
        s.xdotool("key", "z")
        have = s.keys_until("key 7a")
        check(have == ["key 7a"], f"Alt+Enter queued keys: have {have}")
        check(s.area()[2:] == (WIDTH, HEIGHT), f"size after a failed switch: have {s.area()[2:]}")
        move(s, 31, 40)
        s.expect("mouse 31 40 -1 0 0")
        wait_until_right(s.frame_mismatches, 5, "the frame after a failed switch")

        s.quit_program()
    finally:
        s.stop()


def restored(s, placed):
    """Whether a restored window is back where it was, to stay: openbox
    animates the restore and may pass the window's place on the way, and a
    pointer put by a position read then would land elsewhere."""
    if s.window.get_attributes().map_state != X.IsViewable or s.area() != placed:
        return False
    time.sleep(0.1)
    return s.area() == placed


def settle_after_switch():
    """Once the window manager has switched the window, SDL puts the pointer
    back where it was in window coordinates when it next services events; a
    move made before that would be undone."""
    time.sleep(0.3)


def part_full_screen(program):
    s = Session(program)
    try:
        s.start_x()
        s.start_window_manager()
        s.start_program()
        s.find_window()
        step("window under openbox")
        wait_for(lambda: s.area()[2:] == (WIDTH, HEIGHT), 5, "the managed window")
        x, y, _, _ = s.area()
        # Centred, give or take the frame's title bar.
        check(abs(x + WIDTH // 2 - SCREEN_W // 2) <= 2 and abs(y + HEIGHT // 2 - SCREEN_H // 2) <= 40,
              f"window at ({x}, {y}) is not centred")
        move(s, 10, 20)
        s.expect("mouse 10 20 0 0 0", 5)
        wait_until_right(s.frame_mismatches, 5, "the frame under openbox")

        step("Alt+Enter to full screen")
        s.xdotool("key", "alt+Return")
        wait_for(lambda: s.area() == (0, 0, SCREEN_W, SCREEN_H), 5, "full screen")
        settle_after_switch()
        px, py, pw, ph = letterbox(SCREEN_W, SCREEN_H)
        # Screen points in the picture, the picture's first and last rows,
        # and the bars.
        points = [(640, 512), (px, py), (px + pw - 1, py + ph - 1), (333, 700)]
        for sx, sy in points:
            want_x, want_y = (sx - px) * WIDTH // pw, (sy - py) * HEIGHT // ph
            s.xdotool("mousemove", str(sx), str(sy))
            s.expect(f"mouse {want_x} {want_y} 0 0 0")
            s.xdotool("mousedown", "1")
            s.expect(f"mouse {want_x} {want_y} 0 1 0")
            s.xdotool("mouseup", "1")
            s.expect(f"mouse {want_x} {want_y} 0 0 0")
        for sx, sy in ((640, py - 1), (640, py + ph), (5, 5)):
            s.xdotool("mousemove", "640", "512")
            s.expect("mouse 360 240 0 0 0")
            s.xdotool("mousemove", str(sx), str(sy))
            s.expect("mouse -1 -1 -1 -1 -1")

        # The letterboxed picture: black bars, and each sampled pixel is the
        # frame's pixel at that point or a neighbour of it.
        def letterbox_wrong():
            shot = s.screenshot(0, 0, SCREEN_W, SCREEN_H)

            def at(sx, sy):
                i = 4 * (sy * SCREEN_W + sx)
                return (shot[i + 2], shot[i + 1], shot[i])
            wrong = [(SCREEN_W // 2, r, at(SCREEN_W // 2, r), "black")
                     for r in (0, py - 1, py + ph, SCREEN_H - 1) if at(SCREEN_W // 2, r) != (0, 0, 0)]
            for sx in list(range(px, px + pw, 37)) + [px + pw - 1]:
                for sy in list(range(py, py + ph, 29)) + [py + ph - 1]:
                    fx, fy = (sx - px) * WIDTH // pw, (sy - py) * HEIGHT // ph
                    near = {known_pixel(min(max(fx + dx, 0), WIDTH - 1), min(max(fy + dy, 0), HEIGHT - 1))
                            for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
                    if at(sx, sy) not in near:
                        wrong.append((sx, sy, at(sx, sy), known_pixel(fx, fy)))
            return wrong
        wait_until_right(letterbox_wrong, 5, "the letterboxed frame")

        step("Alt+Enter back to the window")
        s.xdotool("key", "alt+Return")
        wait_for(lambda: s.area()[2:] == (WIDTH, HEIGHT), 5, "the window again")
        settle_after_switch()
        move(s, 10, 20)
        s.expect("mouse 10 20 0 0 0")
        wait_until_right(s.frame_mismatches, 5, "the frame after full screen")

        step("minimised and restored")
        placed = s.area()
        s.xdotool("windowminimize", s.wid)
        s.expect("mouse -1 -1 -1 -1 -1")
        s.xdotool("windowactivate", s.wid)
        wait_for(lambda: restored(s, placed), 5, "the restored window")
        move(s, 11, 20)
        s.expect("mouse 11 20 0 0 0")

        # Alt+F4 and the window manager's close both leave the window open;
        # only the close queues a key, and only one.
        step("Alt+F4 and close under openbox")
        s.xdotool("key", "alt+F4", "z")
        have = s.keys_until("key 7a")
        check(have == ["key 7a"], f"Alt+F4 under openbox: have {have}, want ['key 7a']")
        s.close_through_window_manager()
        check_one_close_request(s)

        s.quit_program()
    finally:
        s.stop()


def start_managed(s):
    """X, openbox and window_check, its window framed and at its size."""
    s.start_x()
    s.start_window_manager()
    s.start_program()
    s.find_window()
    wait_for(lambda: s.area()[2:] == (WIDTH, HEIGHT), 5, "the managed window")


def part_repaint(program):
    """The window sends only what differs from what it shows; whenever the
    server may have lost the window's pixels it must send everything again.
    Each time the frame changes while the window cannot show it, and once it
    can, the screenshot must be the new frame whole."""
    s = Session(program)
    try:
        start_managed(s)
        wait_until_right(s.frame_mismatches, 5, "the first frame")
        frames = [KNOWN_FRAME, INVERTED_FRAME]
        shown = 0

        def invert():
            nonlocal shown
            s.send(b"invert")
            s.expect("inverted")
            shown ^= 1
            time.sleep(0.2)  # several frames drawn and sent while hidden

        step("covered and uncovered")
        x, y, w, h = s.area()
        root = s.dpy.screen().root
        cover = root.create_window(x, y, w, h, 0, X.CopyFromParent, background_pixel=s.dpy.screen().white_pixel,
                                   override_redirect=True)
        cover.map()
        s.dpy.sync()
        time.sleep(0.2)
        invert()
        cover.unmap()
        s.dpy.sync()
        wait_until_right(lambda: s.frame_mismatches(frames[shown]), 5, "the frame changed while covered")
        cover.map()
        s.dpy.sync()
        time.sleep(0.2)
        cover.destroy()  # nothing changed meanwhile: what the window shows must come back all the same
        s.dpy.sync()
        wait_until_right(lambda: s.frame_mismatches(frames[shown]), 5, "the frame after a second cover")

        step("minimised and restored")
        placed = s.area()
        s.xdotool("windowminimize", s.wid)
        wait_for(lambda: s.window.get_attributes().map_state != X.IsViewable, 5, "the minimised window")
        invert()
        s.xdotool("windowactivate", s.wid)
        wait_for(lambda: restored(s, placed), 5, "the restored window")
        wait_until_right(lambda: s.frame_mismatches(frames[shown]), 5, "the frame changed while minimised")

        step("full screen and back")
        s.xdotool("key", "alt+Return")
        wait_for(lambda: s.area() == (0, 0, SCREEN_W, SCREEN_H), 5, "full screen")
        invert()
        s.xdotool("key", "alt+Return")
        wait_for(lambda: s.area()[2:] == (WIDTH, HEIGHT), 5, "the window again")
        wait_until_right(lambda: s.frame_mismatches(frames[shown]), 5, "the frame changed in full screen")

        s.quit_program()
    finally:
        s.stop()


def part_focus(program):
    """A window appears under the pointer while a button is held over the
    game's, takes the focus, and the button goes up over it; once it is gone
    and the game's window has the focus again, the next press must be seen."""
    s = Session(program)
    try:
        start_managed(s)
        x, y, _, _ = s.area()
        step("a press held while another window takes the focus")
        move(s, 100, 100)
        s.expect("mouse 100 100 0 0 0", 5)
        s.xdotool("mousedown", "1")
        s.expect("mouse 100 100 0 1 0")
        over = s.spawn(["xmessage", "-geometry", f"500x400+{x + 50}+{y + 50}", "on top"],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        s.expect("mouse -1 -1 -1 -1 -1", 5)  # the game's window lost the focus
        time.sleep(0.5)
        s.xdotool("mouseup", "1")
        time.sleep(0.3)
        over.terminate()
        over.wait(timeout=5)
        step("the next press over the game's window")
        s.xdotool("windowactivate", "--sync", s.wid)
        move(s, 600, 400)
        s.expect("mouse 600 400 0 0 0", 5)
        s.xdotool("mousedown", "1")
        s.expect("mouse 600 400 0 1 0")
        s.xdotool("mouseup", "1")
        s.expect("mouse 600 400 0 0 0")
        s.quit_program()
    finally:
        s.stop()


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("no_display", "window", "full_screen", "repaint", "focus"):
        print(__doc__, file=sys.stderr)
        return 2
    part, program = sys.argv[1], sys.argv[2]

    def too_long(*_):
        raise Failure(f"the run took longer than {RUN_LIMIT_S} s")
    signal.signal(signal.SIGALRM, too_long)
    signal.alarm(RUN_LIMIT_S)
    parts = {"no_display": part_no_display, "window": part_window, "full_screen": part_full_screen,
             "repaint": part_repaint, "focus": part_focus}
    try:
        parts[part](program)
    except Failure as failure:
        print(f"FAIL {part}: {failure}", file=sys.stderr)
        return 1
    except FileNotFoundError as missing:
        print(f"FAIL {part}: {missing.filename} not found (needs xvfb, openbox and xdotool)", file=sys.stderr)
        return 1
    print(f"ok {part}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
