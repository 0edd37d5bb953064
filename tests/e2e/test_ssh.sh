#!/bin/sh
# The far player: the game over real OpenSSH, ssh -tt in a tmux pane as the
# player's terminal, sshd in a private network namespace, the link between
# them shaped (scripts/far-link.sh).
#
#   test_ssh.sh [--mosh] GAME [EARLY]            the check, on the slow link
#   test_ssh.sh [--mosh] --measure PRESET|all [GAME [ssh_drive.py OPTION...]]
#                                       figures only, nothing judged
#
# With --mosh the player's terminal is mosh-client, its UDP carried on the
# same shaped link to a mosh-server started over that ssh (test_mosh.sh).
#
# The check asks only what holds on a loaded two-core machine: after some
# play on 160 kbit/s with 40 ms each way, Q gives the shell's line back
# within PROMPT_BOUND seconds, the game ends with status 0 and leaves the
# terminal as it found it. A game that keeps writing pictures the link
# cannot carry fails it by far: its prompt waits for the whole backlog, tens
# of seconds, while one that keeps the link's buffers near empty needs about
# a round trip and a picture. The bound is five times the one second a
# player would accept, for a loaded machine, and still far below a backlog.
# Either way the picture must come through whole (the frame's top border,
# the intro gone after a key); through mosh, whose TERM is xterm-256color
# and whose terminal lacks some of xterm's, the letters must show too.
# After the game a shell takes the line, and nothing the game asked of the
# terminal may be typed there (ssh_drive.py).
#
# Over ssh the check also breaks the link for OUTAGE seconds (20) while the
# player turns, and again with Q pressed 5 s into it: after the restore a
# turn must show within a second within 40 s, the prompt must come within
# PROMPT_BOUND + 30 s, and the shell's line must stay clean. Each bound is a
# few times what a game that rides the outage out needs on a loaded
# machine, and well short of what a game that queued pictures blind needs.
#
# Measuring (TURNS, 40 by default, TURN_WAIT, and OUTAGE, none by default,
# in the environment) prints turn -> picture median / p90 / p99, turns never
# shown and Q -> prompt; with OUTAGE the outage's figures after the turns.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
TOP=$(cd "$HERE/../.." && pwd)
PROMPT_BOUND=${PROMPT_BOUND:-5}
PLAY_SECONDS=${PLAY_SECONDS:-15}

skip() { echo "skipped: $*"; exit 77; }
for tool in ssh ssh-keygen ip tc tmux python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
[ -x "$(command -v sshd || echo /usr/sbin/sshd)" ] || skip "sshd is not installed (openssh-server)"
[ "$(id -u)" = 0 ] || skip "making a network namespace needs root"
MOSH=
if [ "${1:-}" = --mosh ]; then
  shift
  MOSH=--mosh
  for tool in mosh-server mosh-client; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed (mosh)"
  done
fi

if [ "${1:-}" = --measure ]; then
  presets=${2:?usage: $0 --measure lan|10mbit|slow|1mbit|all [GAME]}
  GAME=$(realpath "${3:-$TOP/build/serifall}")
  shift 2
  [ $# -gt 0 ] && shift
  [ "$presets" = all ] && presets="lan 10mbit slow 1mbit"
  status=0
  for preset in $presets; do
    "$TOP/scripts/far-link.sh" "$preset" python3 "$HERE/ssh_drive.py" "$GAME" $MOSH \
      --turns "${TURNS:-40}" --turn-wait "${TURN_WAIT:-60}" --play "${PLAY:-0}" \
      --outage "${OUTAGE:-0}" "$@" || status=$?
  done
  exit "$status"
fi

GAME=$(realpath "${1:?usage: $0 path/to/serifall [path/to/serifall-early]}")
# A few turns bring the letters into sight (or fail to, through mosh).
OUTAGE=${OUTAGE:-20}
[ -n "$MOSH" ] && OUTAGE=0
# Status 3: the driver could not bring the formation into sight (it slides
# by the direction dot, and a letter placed far off now and then defeats
# it); that says nothing of the game, so a new game tries once more.
for attempt in 1 2; do
  status=0
  "$TOP/scripts/far-link.sh" slow python3 "$HERE/ssh_drive.py" "$GAME" $MOSH \
    --turns 4 --turn-wait 10 --play "$PLAY_SECONDS" --prompt-bound "$PROMPT_BOUND" --outage "$OUTAGE" || status=$?
  [ "$status" = 3 ] || break
  echo "the formation stayed out of sight: once more with a new game"
done
exit "$status"
