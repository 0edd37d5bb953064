"""How far the world moved on screen between two screen captures.

  view_shift.py BEFORE AFTER   prints "ROWS COLS": the shift that carries
                               the most letter cells of BEFORE onto letter
                               cells of AFTER, or "none" when it carries
                               fewer than 80 of them, or under 90 percent.

The letter cells ('A' on the first level: the formation and the centres of
enemy shots) stay put in the world, so every one of them moves by the
view's turn; shots that appear or go in between only add a few stray
votes.
"""
import sys
from collections import Counter


def letters(path):
    with open(path, encoding="utf-8", errors="replace") as capture:
        return [(r, c) for r, line in enumerate(capture) for c, ch in enumerate(line) if ch == "A"]


def main():
    before, after = letters(sys.argv[1]), letters(sys.argv[2])
    there = set(after)
    votes = Counter((r2 - r1, c2 - c1) for r1, c1 in before for r2, c2 in after)
    if not votes:
        print("none")
        return
    (rows, cols), _ = votes.most_common(1)[0]
    carried = sum((r + rows, c + cols) in there for r, c in before)
    if carried < 80 or carried < 0.9 * len(before):
        print("none")
        return
    print(rows, cols)


main()
