"""Drives the game in a Wayland terminal on a headless sway and reads the
window's pixels back with grim; the checks read pixels as xdrive.py does.

  wdrive.py start SCREEN           past the intro, until the game's frame is up
  wdrive.py look  SCREEN           pointer motion moves the letter under the view
  wdrive.py hold  SCREEN SECONDS   W held: bursts for the whole hold, none after
  wdrive.py tap   SCREEN           W tapped: a burst, then none

SCREEN is X,Y,WIDTH,HEIGHT:COLS:ROWS, the window's rectangle in sway's
layout. Keys go through wtype, the pointer through swaymsg.

A screenshot through the compositor takes from a tenth of a second to over
half a second on a loaded machine, so the checks here do not time the
bursts to the release as xdrive.py does: with autorepeat off a hold can
only burst throughout when the terminal reports the release, and with that
confirmed, "the bursts stop" means the centre stays clear from a bound far
past the release.
"""
import subprocess
import sys
import time

import xdrive

# Exact keys stop the bursts within a tenth of a second of the release and
# the last burst's cloud is gone CLOUD_LIFE later. A terminal or compositor
# slowed by the machine shows an older picture; 0.8 s more covers that, and
# a hold that still meets a longer stall is tried again.
SETTLE = 0.1 + xdrive.CLOUD_LIFE + 0.8
# How long the pictures are watched after a release.
WATCH = SETTLE + 1.5


class GrimScreen(xdrive.WindowScreen):
    """The window's pixels from a screenshot of its rectangle."""

    def __init__(self, rect, cols, rows):  # pylint: disable=super-init-not-called
        self.left, self.top, width, height = (int(v) for v in rect.split(","))
        self.size = width, height
        self.cols, self.rows = int(cols), int(rows)

    def pixels(self):
        w, h = self.size
        shot = subprocess.run(["grim", "-g", "%d,%d %dx%d" % (self.left, self.top, w, h), "-t", "ppm", "-"],
                              check=True, capture_output=True).stdout
        taken = time.monotonic()
        # P6, width and height, 255, then three bytes a pixel: made into the
        # four bytes a pixel (blue, green, red, unused) that Pixels reads.
        _, size, _, rgb = shot.split(b"\n", 3)
        w, h = (int(v) for v in size.split())
        data = bytearray(w * h * 4)
        data[0::4], data[1::4], data[2::4] = rgb[2::3], rgb[1::3], rgb[0::3]
        return xdrive.Pixels(bytes(data), w, w, h, taken)


def wtype(*args):
    subprocess.run(["wtype"] + list(args), check=True)
    return time.monotonic()


def cursor(*points):
    """The pointer to each point in turn, in one call."""
    commands = ["seat seat0 cursor set %d %d" % point for point in points]
    subprocess.run(["swaymsg", "-q", "; ".join(commands)], check=True)


def start(screen, deadline=90.0):
    """Past the intro; returns the first picture with the frame up."""
    start_time = time.monotonic()
    last_key = 0.0
    while time.monotonic() - start_time < deadline:
        px = screen.pixels()
        if all(screen.any_lit(px, r, c) for r in (0, screen.rows - 1) for c in range(1, screen.cols - 1)):
            return px
        if time.monotonic() - last_key > 1.0:
            wtype("x")
            last_key = time.monotonic()
        time.sleep(0.05)
    raise SystemExit("FAIL: the game's frame never came up")


def watch(screen, until):
    samples = []
    while time.monotonic() < until:
        samples.append(xdrive.sample(screen))
    return samples


def one_press(screen, seconds):
    """W held SECONDS (0: a tap). Returns None when the bursts came and
    stopped, else what went wrong; fails at once on a hold with gaps."""
    xdrive.wait_quiet(screen)
    if seconds > 0:
        # One wtype for the press, the hold and the release: its keyboard
        # goes when it ends, and sway then has the terminal lose the focus
        # for a moment, which releases every key.
        keyboard = subprocess.Popen(["wtype", "-P", "w", "-s", str(int(seconds * 1000)), "-p", "w"])
        press = time.monotonic()  # the press comes later, the release later still
        during = watch(screen, press + seconds)
        if keyboard.wait() != 0:
            raise SystemExit("FAIL: wtype failed")
        release = time.monotonic()
    else:
        press = release = wtype("w")
        during = []
    after = watch(screen, release + WATCH)
    # A tap's single burst is fresh for a moment only; its cloud stays long
    # enough for a screenshot to catch.
    seen = next((s for s in during + after if s[2] <= (xdrive.FRESH if seconds > 0 else xdrive.CLOUD)), None)
    if seen is None:
        return "no burst after the press"
    stale = [s for s in during if s[0] >= seen[1] and s[3] > xdrive.FRESH]
    if stale:
        raise SystemExit("FAIL: W still held, but no new burst %.0f ms into the hold (nearest %.1f cells)"
                         % ((stale[0][0] - press) * 1000, stale[0][2]))
    busy = [s for s in after if s[0] >= release + SETTLE and s[2] <= xdrive.CLOUD]
    if busy:
        return "a burst near the centre %.0f ms after the release" % ((busy[0][0] - release) * 1000)
    print("first burst seen %.0f ms after the press, %d pictures in the hold, %d after the release"
          % ((seen[1] - press) * 1000, len(during), len(after)))
    return None


def press(screen, seconds, attempts=3):
    for attempt in range(1, attempts + 1):
        late = one_press(screen, seconds)
        if late is None:
            return
        print("attempt %d: %s" % (attempt, late))
    raise SystemExit("FAIL: every attempt: " + late)


def look(screen):
    """foot reports the pointer in pixels, and a pixel turns the view a
    cell, so any formation can be brought into sight from the window's
    middle: up to 45 rows either way and 40 columns."""
    x = screen.left + screen.size[0] // 2
    y = screen.top + screen.size[1] // 2
    views = [(0, 0)] + [(r, c) for r in (45, 15, -15, -45) for c in (40, -30)]
    xdrive.look(screen, lambda dr, dc: cursor((x - dc, y - dr)), views)


if __name__ == "__main__":
    command, spec = sys.argv[1], sys.argv[2]
    target = GrimScreen(*spec.split(":"))
    if command == "start":
        start(target)
    elif command == "look":
        look(target)
    elif command == "hold":
        press(target, float(sys.argv[3]))
    elif command == "tap":
        press(target, 0)
    else:
        raise SystemExit("usage: " + __doc__)
