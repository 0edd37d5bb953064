#!/usr/bin/env python3
"""The game on a pseudo-terminal whose far side this script plays: a
terminal that answers as kitty does, and that can stop reading, answer
late, or leave few file descriptors. Usage: handover.py GAME CASE."""

import os
import re
import resource
import select
import signal
import sys
import termios
import time

KITTY_PROBE_ANSWER = b"\x1b[?0u\x1b[?1016;2$y\x1b[?2026;2$y\x1b[?62;22c"
DA1 = b"\x1b[c"
DA1_ANSWER = b"\x1b[?62;22c"
PUSH = b"\x1b[>11u"
PUSH_CONFIRMED = b"\x1b[?11u"
Q_PRESS = b"\x1b[113u\x1b[113;1:3u"


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


class Game:
    """The game on the slave side; this object is the terminal."""

    def __init__(self, path, fds=None):
        self.pid, self.master = os.forkpty()
        if self.pid == 0:
            os.environ["TERM"] = "xterm-256color"
            os.environ["SERIFALL_INPUT"] = "terminal"
            os.closerange(3, 65536)  # as a login shell leaves them
            if fds is not None:
                resource.setrlimit(resource.RLIMIT_NOFILE, (fds, fds))
            os.execv(path, [path])
        termios.tcsetwinsize(self.master, (25, 80))
        self.out = b""
        self.answered = 0  # DA1 requests answered so far
        self.status = None

    def read(self, seconds, answer=True):
        """Reads for `seconds`, answering as a kitty terminal would."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            ready, _, _ = select.select([self.master], [], [], 0.01)
            if ready:
                try:
                    chunk = os.read(self.master, 65536)
                except OSError:
                    return
                if not chunk:
                    return
                if PUSH in chunk:
                    os.write(self.master, PUSH_CONFIRMED)
                self.out += chunk
            if answer:
                self.answer_all()

    def answer_all(self, upto=None):
        text = self.out if upto is None else self.out[:upto]
        asked = text.count(DA1)
        while self.answered < asked:
            first = self.answered == 0
            os.write(self.master, KITTY_PROBE_ANSWER if first else DA1_ANSWER)
            self.answered += 1

    def read_until(self, needle, seconds, answer=True):
        end = time.monotonic() + seconds
        while needle not in self.out and time.monotonic() < end:
            self.read(0.05, answer)
        if needle not in self.out:
            fail("never saw %r" % needle)

    def send(self, data):
        os.write(self.master, data)

    def wait_exit(self, seconds, drain=False):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            pid, status = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                self.status = os.waitstatus_to_exitcode(status)
                return True
            if drain:
                self.read(0.02, answer=False)
            else:
                time.sleep(0.01)
        return False

    def kill(self):
        if self.status is None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.pid, 0)


def final_state(stream):
    """What the terminal shows after reading all of `stream`."""
    modes = {}
    for params, action in re.findall(rb"\x1b\[\?([\d;]+)([hl])", stream):
        for p in params.split(b";"):
            modes[int(p)] = action == b"h"
    pushed = len(re.findall(rb"\x1b\[>\d+u", stream)) - len(re.findall(rb"\x1b\[<u", stream))
    return modes, pushed


def check_given_back(stream, what):
    modes, pushed = final_state(stream)
    on = [m for m in (1000, 1002, 1003, 1004, 1006, 1016, 1049, 2026) if modes.get(m)]
    if on:
        fail("%s: modes left on: %s" % (what, on))
    if not modes.get(25, True):
        fail("%s: the cursor left hidden" % what)
    if pushed != 0:
        fail("%s: kitty flags pushed %d more times than popped" % (what, pushed))


def start_playing(path):
    game = Game(path)
    game.read_until(b"Vellmoor", 10)
    game.read(0.3)
    game.send(b"\x1b[120u\x1b[120;1:3u")  # any key leaves the intro
    game.read(0.5)
    return game


def stalled_terminal(path):
    """The terminal stops reading while the view turns; Q ends the game
    quickly, and when the terminal reads again it is given back."""
    game = start_playing(path)
    end = time.monotonic() + 2.5
    x = 0
    while time.monotonic() < end:  # not read: the pictures pile up
        x = (x + 37) % 600
        game.send(b"\x1b[<35;%d;200M" % (x + 10))
        time.sleep(0.02)
    asked = time.monotonic()
    game.send(Q_PRESS)
    if not game.wait_exit(10):
        game.kill()
        fail("Q did not end the game on a stalled terminal")
    took = time.monotonic() - asked
    game.read(0.5, answer=False)
    print("stalled terminal: Q to exit %.2f s, status %s" % (took, game.status))
    if game.status != 0:
        fail("status %s after Q" % game.status)
    check_given_back(game.out, "after a stall")


def suspend_waits_for_the_terminal(path, attempts=3):
    """Ctrl-Z: signal keys come back only once the terminal has read the
    restore, so a Ctrl-Z typed then cannot discard it. The game waits 0.2 s
    for the answer; a look at the keys later than that after the request
    can only be told from a game that never waited by trying again."""
    for attempt in range(1, attempts + 1):
        if one_suspend(path):
            return
        print("suspend: looked at the signal keys over 0.2 s after the request (try %d)" % attempt)
    fail("every look at the signal keys after Ctrl-Z came too late to judge")


def one_suspend(path):
    """True when judged; False when this side was too late to judge."""
    game = start_playing(path)
    game.send(b"\x1b[122;5u")
    end = time.monotonic() + 5
    restore = -1
    before = time.monotonic()  # no request in what was read until then
    while time.monotonic() < end:
        game.read(0.01, answer=False)
        restore = game.out.rfind(b"\x1b[?1049l")
        if restore >= 0:
            game.answer_all(upto=restore)  # the pictures' requests
            if DA1 in game.out[restore:]:
                break
        before = time.monotonic()
    if restore < 0 or DA1 not in game.out[restore:]:
        fail("no restore and request after Ctrl-Z")
    keys_back = termios.tcgetattr(game.master)[3] & termios.ISIG
    if keys_back and time.monotonic() - before > 0.2:
        game.kill()
        return False
    if keys_back:
        fail("signal keys back before the terminal answered")
    game.answer_all()
    end = time.monotonic() + 3
    while not termios.tcgetattr(game.master)[3] & termios.ISIG and time.monotonic() < end:
        time.sleep(0.01)
    if not termios.tcgetattr(game.master)[3] & termios.ISIG:
        fail("signal keys not back after the answer")
    check_given_back(game.out, "at Ctrl-Z")
    os.kill(game.pid, signal.SIGCONT)
    game.read(1.0)
    game.send(Q_PRESS)
    if not game.wait_exit(10, drain=True):
        game.kill()
        fail("Q after resuming did not end the game")
    print("suspend: signal keys back after the answer; status %s" % game.status)
    return True


def late_probe_answers(path):
    """kitty started with the game on a busy machine answers after the
    probe gave up: the flags are pushed all the same and Q reads exactly."""
    game = Game(path)
    game.read_until(DA1, 10, answer=False)
    game.answered = 1  # answered below, late
    time.sleep(1.5)
    game.send(KITTY_PROBE_ANSWER)
    game.read_until(PUSH, 5)
    game.read_until(b"\x1b[?1016h", 5)
    game.read(0.3)
    game.send(b"\x1b[120u\x1b[120;1:3u")
    game.read(0.5)
    game.send(Q_PRESS)
    if not game.wait_exit(10, drain=True):
        game.kill()
        fail("a kitty Q press did not end the game after late answers")
    if game.status != 0:
        fail("status %s" % game.status)
    check_given_back(game.out, "after late answers")
    print("late answers: flags pushed, pixels on, Q ended it")


def few_descriptors(path):
    """Too few descriptors to write without waiting: a clear line and
    status 1, with the terminal untouched."""
    for fds in (4, 5, 6):
        game = Game(path, fds)
        if not game.wait_exit(10, drain=True):
            game.kill()
            fail("ulimit -n %d: no end" % fds)
        game.read(0.2, answer=False)
        line = game.out.decode("latin-1").strip()
        print("ulimit -n %d: status %s, %r" % (fds, game.status, line))
        if game.status != 1 or not line.startswith("serifall: "):
            fail("ulimit -n %d: want status 1 and a line" % fds)
        if b"\x1b[?1049h" in game.out:
            fail("ulimit -n %d: the screen was taken over" % fds)


CASES = {
    "stall": stalled_terminal,
    "suspend": suspend_waits_for_the_terminal,
    "late": late_probe_answers,
    "fds": few_descriptors,
}

if __name__ == "__main__":
    CASES[sys.argv[2]](sys.argv[1])
