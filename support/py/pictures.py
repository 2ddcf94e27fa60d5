"""The game's pictures as the tests see them: read through the game's own
reader (orvanel-pictures --dump), never a second BMP reader."""

import os
import subprocess
import tempfile

# Zone limits on a target's x: zone 1 is x 0..259, and so on.
ZONES = [(0, 260), (260, 390), (390, 500), (500, 720)]


def read_pam(path):
    """Width, height and the R, G, B, A bytes of a PAM picture."""
    data = open(path, "rb").read()
    end = data.index(b"ENDHDR\n") + len(b"ENDHDR\n")
    header = dict(line.split(" ", 1) for line in data[:end].decode().splitlines()[1:-1])
    return int(header["WIDTH"]), int(header["HEIGHT"]), data[end:]


def hit_points(tool, mask):
    """Every (x, y) at which the game reads the mask as opaque black."""
    with tempfile.TemporaryDirectory() as folder:
        pam = os.path.join(folder, "mask.pam")
        subprocess.run([tool, "--dump", mask, pam], stdout=subprocess.DEVNULL, check=True)
        width, height, pixels = read_pam(pam)
    return {(i // 4 % width, i // 4 // width) for i in range(0, width * height * 4, 4)
            if pixels[i:i + 4] == b"\x00\x00\x00\xff"}
