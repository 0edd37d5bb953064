"""Mouse look in the pane of lib.sh's tmux server, judged by the letter
formation, the one thing that stands still in the world for the whole game
(the power-up marker leaves its start cell at the fifth second, so a check
built on it fails whenever a loaded machine starts the game slowly).

  look.py SOCKET turn    the pointer 10 cells left and 5 up: the world
                         slides 5 rows down and 10 columns right
  look.py SOCKET burst   the same sum, sent as a burst of reports that go
                         back and forth before it

The formation stands at a random place, often off the screen: it is first
brought into sight by its direction dot. The game drops pointer motion
while the picture shakes after an enemy hit, so a turn that never shows is
tried again from where the formation then stands; a game that ignores the
pointer fails every try.
"""
import shlex
import subprocess
import sys
import time

import ssh_drive

TURN = (5, 10)
TRIES = 6
WAIT = 20.0


class LocalPane:
    """Pane g on a running tmux server, asked through tmux's command line
    (ssh_drive.Pane's readers, without its control client)."""

    screen = ssh_drive.Pane.screen
    red_dots = ssh_drive.Pane.red_dots
    send = ssh_drive.Pane.send

    def __init__(self, socket):
        self.socket = socket

    def ask(self, command):
        out = subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null"] + shlex.split(command),
                             check=True, capture_output=True, text=True).stdout
        return out.split("\n")[:-1] if out.endswith("\n") else out.split("\n")

    @staticmethod
    def wait_output(seen, timeout):
        # No output stream to watch: a short pause, then a fresh look.
        time.sleep(min(timeout, 0.05))
        return seen + 1


def pointer(col, row):
    return ssh_drive.pointer((col, row))


def burst():
    """Many reports, far more than pictures are sent; only their sum counts,
    10 cells left and 5 up, as the last report alone would say."""
    out = b"\033[I" + pointer(41, 13)
    for i in range(1, 61):
        out += pointer(41 + i % 17, 13 + i % 5) + pointer(41, 13)
    return out + pointer(31, 8)


def shown(pane, data, shift, wait):
    """Sends data; the seconds until the formation showed moved by exactly
    shift, or None. Each screen is compared with those of the second before
    the motion was sent, so a screen caught halfway through a picture still
    has a whole one to match."""
    before, started = [], time.monotonic()
    while time.monotonic() - started < 1.0:
        before.append(ssh_drive.letters(pane.screen()))
    pane.send(data)
    sent = time.monotonic()
    while time.monotonic() - sent < wait:
        now = ssh_drive.letters(pane.screen())
        if any(ssh_drive.moved(old, now, shift) for old in before):
            return time.monotonic() - sent
        time.sleep(0.05)
    return None


def look(pane, data):
    for attempt in range(1, TRIES + 1):
        ssh_drive.bring_formation(pane, WAIT)
        took = shown(pane, data, TURN, WAIT)
        if took is not None:
            print("the view turned %.0f ms after the motion (try %d)" % (took * 1000, attempt))
            return
        cells = ssh_drive.letters(pane.screen())
        where = "at (%.0f, %.0f)" % ssh_drive.centre_of(cells) if cells else "out of sight"
        print("try %d: the turn never showed; the formation stands %s" % (attempt, where))
    raise SystemExit("FAIL: the pointer moved 10 cells left and 5 up %d times, the view never followed"
                     % TRIES)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[2] not in ("turn", "burst"):
        raise SystemExit("usage: " + __doc__)
    target = LocalPane(sys.argv[1])
    try:
        look(target, ssh_drive.slide(*TURN) if sys.argv[2] == "turn" else burst())
    except RuntimeError as error:  # ssh_drive's way of failing
        raise SystemExit("FAIL: %s" % error) from None
