#!/usr/bin/env python3
"""Plays Serifall over ssh as a far player would and times what they feel.

    ssh_drive.py GAME [--turns N] [--play SECONDS] [--prompt-bound SECONDS]
                      [--outage SECONDS] [--mosh]

Runs inside the namespace far-link.sh made ($FAR_SSH reaches its sshd). The
player's terminal is a detached tmux pane of a fixed size on a private
server, running `ssh -tt` to the game under a shell that prints the game's
status when it ends. The pane is watched through one tmux control-mode
client: every piece of output the pane receives is announced at once, and
the screen is read back right after it, without starting a process per look.

Figures: for each turn (pointer reports that slide the world 10 cells
across and 5 down, or back), the time from sending it until the pane shows
the letter formation, the one thing that stands still in the world, moved
by exactly that; then the time from Q until the shell's line after the game.
After the game a shell (bash) takes the terminal, as a player's would: once
the pane has been quiet a while, nothing may stand on its line but its
prompt (an answer to one of the game's requests that came after the game
would be typed there, `1;2c` or an echoed `^[[?1;2c`), and a command typed
then must run as typed. With --prompt-bound, exits 1 unless that holds, the
prompt came back within the bound and the game gave the terminal back (main
screen, cursor shown, no mouse reporting); the turn figures are printed,
never judged.

With --outage, after the turns the link loses every packet for that long
($FAR_LINK) while the player keeps turning; then it comes back, and turns
are timed until one shows within 300 ms again. Then a second outage, with Q
pressed 5 s into it: the prompt is timed from the restore. The figures: the
time from the restore until a turn shows within 300 ms, the bytes the game
had written that had not reached the pane at the restore (and of them, what
sshd's socket held unacknowledged), and Q -> prompt after the restore. The
check asks only that a turn shows within a second, within RECOVER_BOUND
seconds of the restore, and that the prompt comes within the prompt bound
plus OUTAGE_PROMPT_BOUND seconds of the restore, with nothing typed.

With --mosh the pane runs mosh-client instead, with mosh-server started
through $FAR_SSH and its UDP carried by far-relay.py --udp at the link's
rate and delay. mosh keeps its own alternate screen in the pane, so only
the cursor and mouse tell the terminal was given back; and since mosh draws
the game's picture anew with its own terminal model, the check also asks
that the picture came through whole: the frame's top border, the intro gone
after the first key, the letters in sight.
"""

import argparse
import os
import random
import shlex
import signal
import subprocess
import sys
import threading
import time

COLS, ROWS = 80, 25
CENTRE = (41, 13)  # the pointer's home, 1-based as in the reports
# Where the formation's middle is put before the turns: to the left, so that
# its opaque box leaves the stars around the crosshair in sight and the
# pictures keep the link as busy as in play.
HOME = (12.0, 14.0)
TURN = (5, 10)  # one turn slides the world by this, then back
DONE_MARK = "SERIFALL-EXIT="
TERM_MARK = "SERIFALL-TERM="
PROMPT = "far> "
TYPED = "echo typed-$((6*7))"  # runs as typed only with nothing before it
TYPED_OUT = "typed-42"
# Loose bounds of the outage check, in seconds from the restore: TCP's own
# backoff after 20 s of losses takes up to about 7 s before anything moves,
# and a loaded machine adds its share; a game that queued pictures blind
# during the outage needs most of a minute to drain them at 20 kB/s.
RECOVER_BOUND = 40.0
OUTAGE_PROMPT_BOUND = 30.0
# A turn shown within this is a turn shown at once again (the figure).
PROMPT_TURN = 0.3
MOSH_SERVER_PORT, MOSH_RELAY_PORT = 60001, 60101


class Pane:
    """One tmux server with one pane, and a control client watching it."""

    def __init__(self, command):
        self.socket = f"serifall-ssh-{os.getpid()}"
        self.tmux(
            "new-session", "-d", "-s", "g", "-x", str(COLS), "-y", str(ROWS), command, ";",
            "set-option", "-g", "remain-on-exit", "on", ";",
            "set-option", "-g", "window-size", "manual",
        )
        self.control = subprocess.Popen(
            ["tmux", "-L", self.socket, "-f", "/dev/null", "-C", "attach", "-t", "g"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE,
        )
        self.lock = threading.Condition()
        self.asking = threading.Lock()
        self.outputs = 0  # pieces of output announced so far
        self.received = 0  # bytes the pane has received
        self.replies = []
        self.reader = threading.Thread(target=self.read, daemon=True)
        self.reader.start()
        # The attach itself is answered first; from then on each command
        # gets exactly one answer, in order.
        self.next_reply(30)

    def next_reply(self, timeout):
        with self.lock:
            if not self.lock.wait_for(lambda: self.replies, timeout):
                raise RuntimeError("tmux did not answer")
            reply = self.replies.pop(0)
            if reply is None:
                raise RuntimeError("the tmux control client ended")
            return reply

    def tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null", *args],
                              check=True, capture_output=True, text=True).stdout

    def read(self):
        reply = None
        for raw in self.control.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            with self.lock:
                if reply is not None:
                    if line.startswith(("%end ", "%error ")):
                        self.replies.append(reply)
                        reply = None
                        self.lock.notify_all()
                    else:
                        reply.append(line)
                elif line.startswith("%begin "):
                    reply = []
                elif line.startswith("%output "):
                    self.outputs += 1
                    data = line.split(" ", 2)[2] if line.count(" ") >= 2 else ""
                    # Bytes other than printable ones come as \ooo.
                    self.received += len(data) - 3 * data.count("\\")
                    self.lock.notify_all()
        with self.lock:
            self.replies.append(None)
            self.lock.notify_all()

    def ask(self, command):
        # One command and its answer at a time: the held key's thread asks too.
        with self.asking:
            self.control.stdin.write((command + "\n").encode())
            self.control.stdin.flush()
            return self.next_reply(30)

    def screen(self):
        lines = self.ask("capture-pane -p -t g")
        return lines + [""] * (ROWS - len(lines))

    def red_dots(self):
        """The dots drawn in red, from the screen with its colours."""
        red = set()
        for r, line in enumerate(self.ask("capture-pane -p -e -t g")):
            c, fg, i = 0, None, 0
            while i < len(line):
                if line[i] == "\033" and line[i + 1 : i + 2] == "[":
                    end = i + 2
                    while end < len(line) and not line[end].isalpha():
                        end += 1
                    if line[end : end + 1] == "m":
                        fg = colour_of(line[i + 2 : end], fg)
                    i = end + 1
                    continue
                if line[i] == "." and fg in ("31", "91", "38;5;1", "38;5;9"):
                    red.add((r, c))
                c, i = c + 1, i + 1
        return red

    def flags(self):
        return self.ask("display-message -p -t g "
                        "'#{alternate_on} #{cursor_flag} #{mouse_any_flag}'")[0].split()

    def send(self, data):
        self.ask("send-keys -t g -H " + " ".join(f"{b:02x}" for b in data))

    def wait_output(self, seen, timeout):
        """Waits until more output than `seen` pieces came, or timeout."""
        with self.lock:
            self.lock.wait_for(lambda: self.outputs > seen, timeout)
            return self.outputs

    def close(self):
        try:
            path = self.tmux("display-message", "-p", "#{socket_path}").strip()
        except subprocess.CalledProcessError:
            path = ""
        try:
            self.control.stdin.close()
        except OSError:
            pass
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)
        try:
            self.control.wait(5)
        except subprocess.TimeoutExpired:
            self.control.kill()
        # The server leaves its socket behind.
        if path.endswith(self.socket):
            try:
                os.unlink(path)
            except OSError:
                pass


def colour_of(params, fg):
    """The foreground after one SGR sequence."""
    codes = params.split(";") if params else ["0"]
    i = 0
    while i < len(codes):
        code = codes[i]
        if code in ("0", "39"):
            fg = None
        elif code == "38" and codes[i + 1 : i + 2] == ["5"]:
            fg, i = "38;5;" + codes[i + 2], i + 2
        elif len(code) == 2 and code[0] in "39" and code[1] in "01234567":
            fg = code
        i += 1
    return fg


def pointer(at):
    return f"\033[<35;{at[0]};{at[1]}M".encode()


def letters(screen):
    """The formation's cells: the commonest capital inside the frame, below
    the rows where the game's screen-fixed texts go. The formation stands
    still in the world between hits, while shots, debris and explosions (in
    small letters) move."""
    cells = {(r, c): screen[r][c] for r in range(ROWS) for c in range(len(screen[r]))
             if inside((r, c)) and screen[r][c].isupper()}
    glyphs = [ch for ch in cells.values()]
    if not glyphs:
        return {}
    glyph = max(set(glyphs), key=glyphs.count)
    return {cell: ch for cell, ch in cells.items() if ch == glyph}


def inside(cell):
    return 3 <= cell[0] < ROWS - 2 and 1 <= cell[1] < COLS - 1


def follows(before, after, shift):
    """The share of before's cells found in after where the view moving by
    shift would put them (those it would put off the screen left out), and
    how many were counted."""
    dr, dc = shift
    kept = [(cell, ch) for cell, ch in before.items() if inside((cell[0] + dr, cell[1] + dc))]
    found = sum(1 for (r, c), ch in kept if after.get((r + dr, c + dc)) == ch)
    return (found / len(kept) if kept else 0.0), len(kept)


def moved(before, after, shift):
    """The whole view moved by shift between the two screens: the cells
    match both ways under the shift (a shrinking block of one letter would
    match itself one way), and not without it."""
    back = (-shift[0], -shift[1])
    forward, counted = follows(before, after, shift)
    backward, counted_back = follows(after, before, back)
    if min(counted, counted_back) < 8 or min(forward, backward) < 0.8:
        return False
    return max(follows(before, after, (0, 0))[0], follows(after, before, (0, 0))[0]) < 0.5


def wait_screen(pane, test, timeout, what):
    deadline = time.monotonic() + timeout
    seen = -1
    while time.monotonic() < deadline:
        seen = pane.wait_output(seen, 0.2)
        screen = pane.screen()
        if test(screen):
            return screen
    raise RuntimeError(f"timed out after {timeout:.0f} s waiting for {what}")


def slide(dr, dc):
    """Bytes that slide the world by dr rows and dc columns on the screen:
    a focus-in makes the next report only a baseline, so each step starts
    from the pointer's home and no pointer position leaves the window."""
    out = b""
    while dr or dc:
        step_r, step_c = max(-10, min(10, dr)), max(-35, min(35, dc))
        out += b"\033[I" + pointer(CENTRE) + pointer((CENTRE[0] - step_c, CENTRE[1] - step_r))
        dr, dc = dr - step_r, dc - step_c
    return out


def picture_whole(screen):
    return (screen[0] == "\\" + "-" * (COLS - 2) + "/"
            and not any("Studio 'Vellmoor'" in line for line in screen))


def stars(screen):
    """The dots inside the frame away from the crosshair's red ones."""
    return {(r, c) for r in range(ROWS) for c, ch in enumerate(screen[r])
            if ch == "." and inside((r, c)) and abs(r - 12) + abs(c - 40) > 8}


def centre_of(cells):
    return (sum(r for r, _ in cells) / len(cells), sum(c for _, c in cells) / len(cells))


def formation_dots(pane):
    """The red dot beside the crosshair that points to the formation."""
    return {(r, c) for r, c in pane.red_dots() if 3 <= abs(r - 12) + abs(c - 40) <= 8}


# The exit status when only the driving failed (OutOfSight).
OUT_OF_SIGHT = 3


class OutOfSight(RuntimeError):
    """The harness could not bring the formation into sight: a fault of the
    driving, not of the game, which the check may try again with a new game."""


def bring_formation(pane, wait):
    """Slides the view until the formation (found by its direction dot when
    off the screen) stands left of the crosshair, where it stays in sight
    after a turn either way. The formation is about as tall as the screen,
    so where its visible part's middle lies is only roughly where its own
    is: one slide that showed is near enough. Each slide is judged only once
    the screen shows it, however far behind the link is."""
    for _ in range(16):
        cells = letters(pane.screen())
        if len(cells) >= 20:
            r, c = centre_of(cells)
            shift = (round(HOME[0] - r), round(HOME[1] - c))
            if abs(shift[0]) <= 2 and abs(shift[1]) <= 3 or slide_shown(pane, shift, wait) is not None:
                return
            continue
        dots = formation_dots(pane)
        if not dots:
            # A picture on its way (mosh shows the screen some frames late)
            # may bring the dot: looking again at once would not.
            time.sleep(0.5)
            continue
        r, c = min(dots)
        stars_before = stars(pane.screen())
        pane.send(slide(-4 * (r - 12), -4 * (c - 40)))
        deadline = time.monotonic() + wait
        seen = -1
        while time.monotonic() < deadline:
            screen = pane.screen()
            # A far formation keeps its dot in place while the view slides
            # towards it: the stars, fixed in the world, show the slide.
            if (len(letters(screen)) >= 20 or not formation_dots(pane) & dots
                    or len(stars(screen) & stars_before) < len(stars_before) / 2):
                break
            seen = pane.wait_output(seen, 0.5)
    raise OutOfSight("the formation never came into sight; red dots at "
                       f"{sorted(pane.red_dots())}")


def slide_shown(pane, shift, wait):
    """Slides the world by shift; returns the seconds until the pane showed
    the formation moved by exactly that, or None. Each new screen is
    compared with those of the second before it, so a screen caught halfway
    through a picture still has a whole one to match."""
    seen = pane.wait_output(-1, 0)
    history = [(time.monotonic(), letters(pane.screen()))]
    pane.send(slide(*shift))
    sent = time.monotonic()
    while time.monotonic() - sent < wait:
        seen = pane.wait_output(seen, 0.5)
        looked = time.monotonic()
        now = letters(pane.screen())
        history = [(t, old) for t, old in history if looked - t < 1.0]
        if any(moved(old, now, shift) for _, old in history):
            return looked - sent
        history.append((looked, now))
    return None


def percentile(values, share):
    ranked = sorted(values)
    return ranked[min(len(ranked) - 1, max(0, int(share * len(ranked) + 0.999) - 1))]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("game")
    parser.add_argument("--turns", type=int, default=40)
    parser.add_argument("--turn-wait", type=float, default=60.0,
                        help="seconds after which a turn counts as never shown")
    parser.add_argument("--play", type=float, default=0.0,
                        help="seconds of play (the pointer circling) before the turns")
    parser.add_argument("--prompt-bound", type=float, default=None)
    parser.add_argument("--mosh", action="store_true",
                        help="the player's terminal is mosh-client, not ssh")
    parser.add_argument("--outage", type=float, default=0.0,
                        help="seconds the link is down, twice (see above)")
    parser.add_argument("--hold-w", action="store_true",
                        help="W held through the turns, as a terminal's key repeat sends it")
    parser.add_argument("--hold-early", action="store_true",
                        help="with --switch-to, W is held from before the change")
    parser.add_argument("--switch-to", metavar="PRESET",
                        help="the link becomes PRESET's 3 s before the turns (A,B: A's, then B's)")
    parser.add_argument("--verbose", action="store_true",
                        help="each turn's clock time and figure on standard error")
    args = parser.parse_args()

    # Some runners start us with SIGCHLD blocked; the tmux server inherits
    # the mask and would never see its pane's process end.
    signal.pthread_sigmask(signal.SIG_UNBLOCK, {signal.SIGCHLD})
    remote = (f"{shlex.quote(args.game)}; echo {DONE_MARK}$? {TERM_MARK}$TERM;"
              f" PS1={shlex.quote(PROMPT)} exec bash --norc --noprofile -i")
    preset = os.environ.get("FAR_PRESET", "?")
    relay = None
    if args.mosh:
        preset += " mosh"
        relay = subprocess.Popen(
            [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                          "../../scripts/far-relay.py"), "--udp",
             str(MOSH_RELAY_PORT), str(MOSH_SERVER_PORT), os.environ.get("FAR_DELAY", "0"),
             os.environ.get("FAR_RATE", "0")])
        command = mosh_command(remote)
    else:
        command = f"sleep 0.3; exec {os.environ['FAR_SSH']} -tt far {shlex.quote(remote)}"
    pane = Pane(command)
    try:
        return play(pane, args, preset)
    except RuntimeError as problem:
        print(f"FAIL ({preset}): {problem}\n--- screen:", file=sys.stderr)
        print("\n".join(pane.screen()), file=sys.stderr)
        return OUT_OF_SIGHT if isinstance(problem, OutOfSight) else 1
    finally:
        pane.close()
        if relay is not None:
            relay.terminate()
            relay.wait()


def mosh_command(remote):
    """The pane's shell line: mosh-server started over ssh (it says its port
    and key, then leaves a detached server behind), then mosh-client through
    the UDP relay. Both want a UTF-8 locale. The colours are told to the
    server as mosh's own wrapper tells them, from the player's terminal (256
    in the pane), so the game runs with mosh's TERM for them,
    xterm-256color."""
    server = (f"mosh-server new -i 127.0.0.1 -p {MOSH_SERVER_PORT} -c 256 -l LANG=C.UTF-8 -- "
              f"sh -c {shlex.quote(remote)}")
    return (f"sleep 0.3; set -- $({os.environ['FAR_SSH']} far {shlex.quote(server)}"
            " | grep '^MOSH CONNECT'); LANG=C.UTF-8 TERM=screen-256color MOSH_KEY=$4"
            f" exec mosh-client 127.0.0.1 {MOSH_RELAY_PORT}")


def play(pane, args, preset):
    wait_screen(pane, lambda s: any("Studio 'Vellmoor'" in line for line in s), 60, "the intro")
    pane.send(b"x")
    wait_screen(pane, lambda s: s[12][40:41] == "+", 60, "the crosshair")
    # A terminal that misread the picture (mosh and ncurses' repeat of the
    # last character) shows a torn border and the intro left under it.
    wait_screen(pane, picture_whole, 30, "the whole frame, the intro gone")
    end = time.monotonic() + args.play
    step = 0
    while time.monotonic() < end:
        step += 1
        pane.send(slide((step % 3) - 1, (step % 7) - 3))
        time.sleep(0.05)

    shown = []
    lost = 0
    if args.turns:
        bring_formation(pane, args.turn_wait)
    held = KeyHeld(pane, b"w") if args.hold_w and args.hold_early else None
    if args.switch_to:
        for step in args.switch_to.split(","):
            link("set", step)
        preset = f"{args.switch_to} (from {preset}, 3 s before)"
        time.sleep(3)
    if args.hold_w and not held:
        held = KeyHeld(pane, b"w")
    if held:
        preset += ", W held" + (" from before the change" if args.hold_early else "")
    turns_began, received = time.monotonic(), pane.received
    for number in range(args.turns):
        # Away and back in turn: each is a motion relative to the last, so a
        # turn the game dropped leaves the next one a step off, never lost.
        began = time.time()
        took = slide_shown(pane, TURN if number % 2 == 0 else (-TURN[0], -TURN[1]), args.turn_wait)
        if args.verbose:
            print(f"turn {number + 1} sent at {began:.3f}: "
                  + ("never shown" if took is None else f"{took * 1000:.0f} ms"), file=sys.stderr)
        if took is None:
            lost += 1
            # The game drops pointer motion while the screen shakes after an
            # enemy hit; where the formation stands tells a turn the game
            # dropped (still home) from one this look missed.
            cells = letters(pane.screen())
            where = "at ({:.0f}, {:.0f})".format(*centre_of(cells)) if cells else "out of sight"
            print(f"{os.environ.get('FAR_PRESET', '?')}: turn {number + 1} never shown;"
                  f" the formation stands {where}", file=sys.stderr)
        else:
            shown.append(took)
        time.sleep(random.uniform(0.15, 0.35))

    rate = (pane.received - received) / max(0.001, time.monotonic() - turns_began)
    if held:
        held.stop()
    first = f"first turn {1000 * shown[0]:.0f} ms, " if shown and args.switch_to else ""
    outage = None
    if args.outage:
        outage = ride_out(pane, args)
        prompt, status, term, left = quit_in_outage(pane, args)
    else:
        pressed = time.monotonic()
        pane.send(b"q")
        # A check need not wait out a backlog of minutes to fail.
        give_up = 600 if args.prompt_bound is None else max(60, 4 * args.prompt_bound)
        status, term = wait_done(pane, give_up)
        prompt = time.monotonic() - pressed
        left = shell_left(pane)
    time.sleep(0.3)
    alternate, cursor, mouse = pane.flags()
    if args.mosh:
        alternate = "0"  # mosh-client's own screen, not the game's
    restored = alternate == "0" and cursor == "1" and mouse == "0"

    if shown:
        ms = [1000 * t for t in shown]
        figures = first + (f"turn -> picture median {percentile(ms, 0.5):.0f} / p90 {percentile(ms, 0.9):.0f}"
                   f" / p99 {percentile(ms, 0.99):.0f} ms")
    else:
        figures = "turn -> picture: none shown"
    if args.turns:
        figures += f" ({rate / 1000:.1f} kB/s reached the pane)"
    quit_how = "Q in the outage -> prompt, from the restore," if args.outage else "Q -> prompt"
    print(f"{preset} (TERM {term}): {figures}, never shown {lost} of {args.turns};"
          f" {quit_how} {prompt:.2f} s; exit status {status};"
          f" shell's line {'clean' if left is None else 'NOT clean: ' + left};"
          f" terminal {'given back' if restored else 'NOT given back'}"
          f" (main screen {alternate == '0'}, cursor {cursor == '1'}, mouse off {mouse == '0'})",
          flush=True)
    if outage:
        print(f"{preset} outage {args.outage:.0f} s: {outage.describe()}", flush=True)
    if args.prompt_bound is None:
        return 0
    failures = []
    bound = args.prompt_bound + (OUTAGE_PROMPT_BOUND if args.outage else 0)
    if prompt > bound:
        failures.append(f"{quit_how} took {prompt:.1f} s, more than {bound:.0f} s")
    if left is not None:
        failures.append(f"the shell's line after the game was not clean: {left}")
    if outage and outage.back is None:
        failures.append(f"no turn shown within a second in the {RECOVER_BOUND:.0f} s after the"
                        " link came back")
    if not restored:
        failures.append("the game did not give the terminal back")
    if args.mosh and term != "xterm-256color":
        failures.append(f"the game ran with TERM {term}, not mosh's xterm-256color")
    if status != "0":
        failures.append(f"the game ended with status {status}, not 0")
    for failure in failures:
        print(f"FAIL ({preset}): {failure}", file=sys.stderr)
    return 1 if failures else 0


def wait_done(pane, timeout):
    """Waits for the line the remote shell prints when the game has ended;
    returns the game's status and TERM."""
    screen = wait_screen(pane, lambda s: any(DONE_MARK in line for line in s), timeout,
                         "the shell's line after the game")
    line = next(line for line in screen if DONE_MARK in line)
    return line.split(DONE_MARK)[1].split()[0], line.split(TERM_MARK)[-1].strip()


def after_done(screen):
    """The lines after the one the game's end printed."""
    marks = [i for i, line in enumerate(screen) if DONE_MARK in line]
    return screen[marks[-1] + 1:] if marks else []


def wait_settled(pane, timeout):
    """Until nothing is on its way either way between ssh and sshd and the
    pane has had no output for two seconds: an answer owed to the game
    would have reached the shell by then."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        seen = pane.wait_output(-1, 0)
        if link_queued() == (0, 0) and pane.wait_output(seen, 2.0) == seen:
            return
    raise RuntimeError(f"the link never settled within {timeout:.0f} s after the game")


def shell_left(pane):
    """None when the shell's line after the game holds only its prompt and
    a command typed there runs as typed; else what was found."""
    wait_screen(pane, lambda s: any(line.startswith(PROMPT.rstrip()) for line in after_done(s)), 60,
                "the shell's prompt after the game")
    wait_settled(pane, 60)
    extra = [line for line in after_done(pane.screen()) if line.strip() and line.rstrip() != PROMPT.rstrip()]
    if extra:
        return "found " + " | ".join(repr(line) for line in extra)
    pane.send((TYPED + "\r").encode())
    screen = wait_screen(pane, lambda s: any(line.strip() == TYPED_OUT for line in after_done(s))
                         or any("not found" in line for line in after_done(s)), 30,
                         "the typed command's output")
    lines = [line.rstrip() for line in after_done(screen) if line.strip()]
    if lines[:2] != [PROMPT + TYPED, TYPED_OUT]:
        return "a typed command came out as " + " | ".join(repr(line) for line in lines)
    return None


class KeyHeld:
    """A key held down as a terminal sends it: the key again every 1/30 s."""

    def __init__(self, pane, key):
        self.pane = pane
        self.key = key
        self.done = threading.Event()
        self.thread = threading.Thread(target=self.repeat, daemon=True)
        self.thread.start()

    def repeat(self):
        while not self.done.wait(1 / 30):
            self.pane.send(self.key)

    def stop(self):
        self.done.set()
        self.thread.join()


def link(*args):
    subprocess.run([os.environ["FAR_LINK"], *args], check=True, capture_output=True)


def link_queued():
    """Bytes sshd's socket holds unacknowledged, both ways: (down, up)."""
    out = subprocess.run([os.environ["FAR_LINK"], "queued"], check=True, capture_output=True,
                         text=True).stdout.split()
    return int(out[0]), int(out[1])


def keep_turning(pane, seconds):
    """The player turns on as if the link were there: away and back, an
    even number of times, so the view ends where it was."""
    end = time.monotonic() + seconds
    number = 0
    while time.monotonic() < end or number % 2:
        pane.send(slide(*(TURN if number % 2 == 0 else (-TURN[0], -TURN[1]))))
        number += 1
        time.sleep(0.25)


class Outage:
    back = None  # seconds from the restore until a turn showed within a second
    prompt_turn = None  # ... within PROMPT_TURN
    queued = (0, 0)  # sshd's unacknowledged bytes at the restore, down and up
    turns = 0  # turns tried after the restore
    first_bytes = None  # seconds from the restore until the pane received anything

    def describe(self):
        def at(t):
            return "never" if t is None else f"{t:.1f} s"
        return (f"{self.queued[0] / 1000:.1f} kB queued in sshd's socket at the restore"
                f" ({self.queued[1]} B the other way); after the restore a turn shown within 1 s"
                f" at {at(self.back)}, within {PROMPT_TURN * 1000:.0f} ms at {at(self.prompt_turn)}"
                f" ({self.turns} turns tried); the first bytes reached the pane at"
                f" {at(self.first_bytes)}")


def link_ports(args):
    return [str(MOSH_SERVER_PORT)] if args.mosh else []


def ride_out(pane, args):
    """The link down for args.outage seconds while the player turns, then
    turns until one shows within PROMPT_TURN (a check: within a second)."""
    found = Outage()
    link("down", *link_ports(args))
    try:
        keep_turning(pane, args.outage)
    finally:
        link("up")
    restored = time.monotonic()
    received = pane.received
    found.queued = link_queued()

    def watch():
        # Nothing reaches the pane until TCP sends again: its retransmission
        # backoff, grown through the outage, not the game, decides when.
        while found.first_bytes is None and time.monotonic() - restored < RECOVER_BOUND:
            if pane.received > received:
                found.first_bytes = time.monotonic() - restored
            time.sleep(0.01)
    threading.Thread(target=watch, daemon=True).start()
    enough = PROMPT_TURN if args.prompt_bound is None else 1.0
    bound = RECOVER_BOUND if args.prompt_bound is not None else max(RECOVER_BOUND, args.turn_wait)
    while time.monotonic() - restored < bound and found.prompt_turn is None:
        if len(letters(pane.screen())) < 20:
            try:
                bring_formation(pane, 10)
            except RuntimeError:
                pass  # not yet: the link may still be catching up
        sent = time.monotonic()
        took = slide_shown(pane, TURN if found.turns % 2 == 0 else (-TURN[0], -TURN[1]),
                           min(5.0, max(0.5, bound - (sent - restored))))
        found.turns += 1
        if args.verbose:
            cells = letters(pane.screen())
            print(f"after the restore: turn at {sent - restored:.1f} s: "
                  + ("never shown" if took is None else f"{took * 1000:.0f} ms")
                  + f"; {len(cells)} letters in sight", file=sys.stderr)
        if took is not None:
            if took <= 1.0 and found.back is None:
                found.back = sent + took - restored
            if took <= PROMPT_TURN:
                found.prompt_turn = sent + took - restored
            if took <= enough:
                break
        time.sleep(random.uniform(0.1, 0.2))
    return found


def quit_in_outage(pane, args):
    """Q 5 s into an outage; the seconds from the restore to the prompt,
    the game's status and TERM, and what was left on the shell's line."""
    link("down", *link_ports(args))
    down = time.monotonic()
    try:
        keep_turning(pane, 5)
        pane.send(b"q")
        time.sleep(max(0.0, down + args.outage - time.monotonic()))
    finally:
        link("up")
    restored = time.monotonic()
    give_up = 600 if args.prompt_bound is None else args.prompt_bound + OUTAGE_PROMPT_BOUND + 30
    status, term = wait_done(pane, give_up)
    prompt = time.monotonic() - restored
    return prompt, status, term, shell_left(pane)

if __name__ == "__main__":
    sys.exit(main())
