# Shared helpers for the runs in real terminal emulators: a private virtual X
# server, one emulator window on it, the game started inside once the window
# is focused and the pointer rests at its centre. Everything started here is
# ended by its process id when the script exits.
set -u

GAME=${1:?usage: $0 path/to/serifall}
case $GAME in /*) ;; *) GAME=$(pwd)/$GAME ;; esac
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d)
PIDS=""

# Ended, or a zombie waiting to be reaped.
gone() { ! grep -qv '^[0-9]* (.*) Z ' "/proc/$1/stat" 2>/dev/null; }
cleanup() {
  # An emulator's own helpers (kitty forks one at start) go with it.
  helpers=""
  for pid in $PIDS; do helpers="$helpers $(ps -o pid= --ppid "$pid" 2>/dev/null)"; done
  [ -s "$WORK/gamepid" ] && helpers="$helpers $(cat "$WORK/gamepid")"
  for pid in $PIDS $helpers; do kill "$pid" 2>/dev/null; done
  for pid in $PIDS $helpers; do
    for _ in $(seq 100); do gone "$pid" && break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null
  done
  for pid in $PIDS; do wait "$pid" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT
# Ended from outside (a runner's timeout, a closed output pipe): still clean up.
trap 'exit 1' INT TERM HUP PIPE

fail() {
  echo "FAIL: $*" >&2
  for log in "$WORK"/*.log; do [ -s "$log" ] && { echo "--- $log:"; tail -n 20 "$log"; } >&2; done
  exit 1
}
# 77: skipped, for CTest; only when a program the run needs is missing.
need() {
  for program; do
    command -v "$program" >/dev/null 2>&1 || { echo "SKIP: $program is not installed"; exit 77; }
  done
}
started() { PIDS="$1 $PIDS"; }  # ended in reverse order of start

# wait_until CONDITION-COMMAND SECONDS DESCRIPTION: a loaded machine running
# the sanitizer build may take many times the idle figures, so the deadlines
# here are generous; a run that passes returns as soon as it can.
wait_until() {
  end=$(($(date +%s) + $2))
  while ! eval "$1"; do
    [ "$(date +%s)" -lt "$end" ] || fail "timed out after $2 s waiting for $3"
    sleep 0.05
  done
}

start_x() {
  need Xvfb xdotool python3
  # -noreset: by default the server resets when its last client leaves, and
  # a client connecting during the reset is turned away.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset "$@" 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  started $!
  wait_until '[ -s "$WORK/display" ]' 60 "the X server"
  DISPLAY=:$(head -n 1 "$WORK/display")
  export DISPLAY
  # The number can come before the server takes its first client on a
  # loaded machine; an emulator started then fails to open the display.
  wait_until 'xdotool getmouselocation >/dev/null 2>&1' 60 "the X server to take clients"
}

# The command the emulator runs: the game RUNS times, each time once the go
# file for it exists (so the window can be focused and the pointer placed
# before the game reads either), its pid and exit status noted; then AFTER;
# then it waits on the terminal, so the window stays until it is closed.
game_shell() {  # INPUT-BACKEND RUNS AFTER
  printf '%s' "cd '$WORK'; for run in \$(seq $2); do
    while [ ! -e go\$run ]; do sleep 0.05; done;
    SERIFALL_INPUT=$1 sh -c 'echo \$\$ > gamepid; exec \"\$0\"' '$GAME'; echo \$? > status.new;
    mv status.new status\$run; done; $3 read _"
}

# start_term COMMAND...: the emulator, its window found, focused, the
# pointer on its centre; sets WINDOW. An emulator that ends before its
# window shows (turned away by a server still settling) is started again,
# up to three times; its log is kept for the failure message.
start_term() {
  for attempt in 1 2 3; do
    "$@" >"$WORK/term.log" 2>&1 &
    TERM_PID=$!
    started $TERM_PID
    wait_until 'WINDOW=$(xdotool search --onlyvisible --pid "$TERM_PID" 2>/dev/null | tail -n 1);
      [ -n "$WINDOW" ] || gone "$TERM_PID"' 60 "the $1 window"
    [ -n "$WINDOW" ] && break
    cp "$WORK/term.log" "$WORK/term-attempt$attempt.log"
    sleep 0.5
  done
  [ -n "$WINDOW" ] || fail "$1 ended before its window showed, three times"
  xdotool windowfocus --sync "$WINDOW"
  eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
  xdotool mousemove --window "$WINDOW" $((WIDTH / 2)) $((HEIGHT / 2))
}

# go RUN: the game's run number RUN starts; ended RUN: it has ended, and
# its exit status is printed.
go() { : >"$WORK/go$1"; }
ended() { [ -e "$WORK/status$1" ] && cat "$WORK/status$1"; }
drive() { python3 "$HERE/xdrive.py" "$@" || fail "$1"; }
