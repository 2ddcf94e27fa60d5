"""A private X display for tests: Xvfb on a free display number, optionally
a window manager, and small helpers around xdotool, xwininfo and ImageMagick."""

import os
import re
import subprocess
import tempfile
import time


class XSession:
    def __init__(self, window_manager=False, screen="1280x1024x24"):
        self.screen = screen
        self.window_manager = window_manager
        self.processes = []
        self.display = None

    def __enter__(self):
        # -displayfd makes Xvfb pick a free display and tell us its number;
        # -noreset keeps it from resetting whenever its last client leaves,
        # which would refuse a program started in that moment.
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen, "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.server = xvfb
        self.processes.append(xvfb)
        number = b""
        deadline = time.monotonic() + 10
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER="x11")
        if self.window_manager:
            self.processes.append(subprocess.Popen(["openbox"], env=self.env,
                                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(0.5)
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()

    def run(self, *args, timeout=10):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True, timeout=timeout)

    def start(self, args, cwd):
        process = subprocess.Popen(args, cwd=cwd, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.processes.append(process)
        return process

    def find_window(self, name, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.run("xdotool", "search", "--name", "^" + re.escape(name)).stdout.split()
            if found:
                return found[0]
            time.sleep(0.05)
        raise AssertionError(f"no window named {name!r} within {timeout} s")

    def title(self, window):
        return self.run("xdotool", "getwindowname", window).stdout.rstrip("\n")

    def wait_for_title(self, window, want, timeout):
        deadline = time.monotonic() + timeout
        have = self.title(window)
        while have != want and time.monotonic() < deadline:
            time.sleep(0.01)
            have = self.title(window)
        return have

    def geometry(self, window):
        """Absolute x, y, width, height of the window's drawing area."""
        info = self.run("xwininfo", "-id", window).stdout
        value = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
        return value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"), value("Height")

    def screenshot(self, window):
        """The window's drawing area as rows of (r, g, b)."""
        x, y, w, h = self.geometry(window)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "shot.rgb")
            self.run("import", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}", "-depth", "8", "rgb:" + path)
            data = open(path, "rb").read()
        if len(data) != w * h * 3:
            raise AssertionError(f"screenshot has {len(data)} bytes, want {w * h * 3}")
        return Picture(w, data)

    def click(self, window, x, y, button=1, hold=0.06):
        """Presses and releases a button over (x, y) of the drawing area, held
        long enough for a frame to see it (the game reads the button state
        once a frame, so a quicker click can pass unseen)."""
        wx, wy, _, _ = self.geometry(window)
        self.run("xdotool", "mousemove", str(wx + x), str(wy + y), "mousedown", str(button))
        time.sleep(hold)
        self.run("xdotool", "mouseup", str(button))

    def key(self, *names):
        self.run("xdotool", "key", *names)


class Picture:
    """Screenshot bytes read as picture[y][x] -> (r, g, b)."""

    def __init__(self, width, data):
        self.width = width
        self.data = data

    def __getitem__(self, y):
        start = y * self.width * 3
        return [tuple(self.data[i:i + 3]) for i in range(start, start + self.width * 3, 3)]

