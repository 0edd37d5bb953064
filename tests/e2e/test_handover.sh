#!/bin/sh
# Handing the terminal back where the terminal is slow, stopped or late: a
# stalled terminal, Ctrl-Z, probe answers after the deadline, and too few
# file descriptors. A pseudo-terminal whose far side the script plays.
set -eu
here=$(dirname "$0")
command -v python3 >/dev/null 2>&1 || { echo "SKIP: python3 is not installed"; exit 77; }
for program in "$1" "${2:-$1}"; do
  for case in stall suspend late fds; do
    python3 "$here/handover.py" "$program" "$case"
  done
done
echo ok
