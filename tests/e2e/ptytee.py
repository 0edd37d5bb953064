#!/usr/bin/env python3
"""Runs a program on a pseudo-terminal of its own between it and this one,
and notes when each of its pictures began.

    ptytee.py MARKS-FILE PROGRAM [ARG...]

Bytes pass both ways unchanged (this terminal raw, the program's the size of
this one). Every synchronized update's begin mark (ESC [ ? 2026 h) the
program writes is a picture; when it has ended, MARKS-FILE gets the clock
time (seconds since the epoch) of each, one a line, and this exits with the
program's status. The hop costs the answers the program asks for a wake-up
of this process, far less than an emulator's own frame.
"""
import fcntl
import os
import pty
import select
import sys
import termios
import time
import tty

MARK = b"\x1b[?2026h"


def write_all(fd, data):
    while data:
        data = data[os.write(fd, data):]


def main():
    marks_path, program = sys.argv[1], sys.argv[2:]
    size = fcntl.ioctl(0, termios.TIOCGWINSZ, b"\0" * 8)
    pid, fd = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, size)
        os.execvp(program[0], program)
    saved = termios.tcgetattr(0)
    tty.setraw(0)
    marks = []
    tail = b""  # a mark may be split between two reads
    try:
        while True:
            ready, _, _ = select.select([0, fd], [], [])
            if fd in ready:
                try:
                    data = os.read(fd, 65536)
                except OSError:
                    break  # the program's side closed: it has ended
                if not data:
                    break
                now = time.time()
                seen = tail + data
                marks.extend([now] * seen.count(MARK))
                tail = seen[-(len(MARK) - 1):]
                write_all(1, data)
            if 0 in ready:
                data = os.read(0, 4096)
                if not data:
                    break
                write_all(fd, data)
    finally:
        termios.tcsetattr(0, termios.TCSADRAIN, saved)
    _, status = os.waitpid(pid, 0)
    with open(marks_path, "w") as out:
        out.writelines(f"{t:.6f}\n" for t in marks)
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
