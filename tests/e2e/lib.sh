# Shared helpers for the end-to-end runs: the game in a detached tmux pane of
# a fixed size on a private server, driven with send-keys and read back with
# capture-pane and the pane's flags.
set -u

GAME=${1:?usage: $0 path/to/serifall [path/to/serifall-early]}
EARLY=${2:-$GAME}
SOCKET=serifall-e2e-$$
E2E=$(cd "$(dirname "$0")" && pwd)
# The server must see its children exit: some runners start us with SIGCHLD
# blocked, and a blocked mask is inherited.
T() {
  perl -MPOSIX -e 'sigprocmask(SIG_UNBLOCK, POSIX::SigSet->new(SIGCHLD)); exec @ARGV or die' \
    tmux -L "$SOCKET" -f /dev/null "$@"
}
cleanup() { T kill-server 2>/dev/null; }
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; echo "--- screen:" >&2; T capture-pane -p -t g 2>/dev/null >&2; exit 1; }

# start_pane COMMAND: a dead pane stays so its exit status can be read.
start_pane() {
  T new-session -d -s g -x 80 -y 25 "sleep 0.3; $1" || fail "tmux did not start"
  T set-option -g remain-on-exit on
  T set-option -g focus-events on
}

screen() { T capture-pane -p -t g; }
flag() { T display-message -p -t g "#{$1}"; }

# wait_for CONDITION-COMMAND DESCRIPTION: polls until the condition holds,
# for up to WAIT_SECONDS by the clock. Every wait here is for something a
# working game does at once, so the deadline only bounds a failing run: the
# sanitizer build on a loaded machine starts and answers many times slower
# than an idle release build (its start-up alone took over 5 s).
WAIT_SECONDS=60
wait_for() {
  deadline=$(($(date +%s) + WAIT_SECONDS))
  until eval "$1"; do
    [ "$(date +%s)" -lt "$deadline" ] || fail "timed out after $WAIT_SECONDS s waiting for $2"
    sleep 0.05
  done
}

screen_has() { screen | grep -qF -- "$1"; }
row() { screen | sed -n "$(($1 + 1))p"; }
cell() { row "$1" | cut -c "$(($2 + 1))"; }
# The game runs under a shell that prints its exit status and stays, so the
# pane's flags still describe the terminal the game left behind (tmux hides
# the cursor of a dead pane itself).
game_command() { echo "trap : INT; $1; echo EXIT=\$?; exec sleep 600"; }
exit_status() { screen | sed -n 's/^EXIT=\([0-9]*\).*/\1/p' | tail -n 1; }
has_exited() { [ -n "$(exit_status)" ]; }
game_pid() { pgrep -P "$(flag pane_pid)" -f "$GAME_NAME" | head -n 1; }

# stop_in_shell STARTER: an interactive shell started by STARTER (a
# function given the command), the game started from it and stopped with
# Ctrl-Z once its frame is up.
stop_in_shell() {
  "$1" "PS1='ready> ' exec bash --norc --noprofile -i"
  wait_for 'screen_has "ready>"' "the shell prompt"
  T send-keys -t g "$GAME; echo EXIT=\$?" Enter
  GAME_NAME=$(basename "$GAME")
  wait_for "screen_has \"Studio 'Vellmoor'\"" "the intro line"
  T send-keys -t g x
  wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair"
  T send-keys -t g C-z
  wait_for 'screen_has "Stopped"' "the shell to report the stopped job"
}

# The intro, a key, then the game's frame on screen.
start_game() {
  GAME_NAME=$(basename "$1")
  start_pane "$(game_command "$1")"
  wait_for "screen_has \"Studio 'Vellmoor' przedstawia gre: Serifall\"" "the intro line"
  T send-keys -t g x
  wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair"
}

# The terminal was given back: no mouse reporting, cursor shown, main screen.
check_terminal_restored() {
  [ "$(flag mouse_any_flag)" = 0 ] || fail "mouse reporting left on"
  [ "$(flag cursor_flag)" = 1 ] || fail "cursor left hidden"
  [ "$(flag alternate_on)" = 0 ] || fail "alternate screen left on"
}

# expect_exit STATUS HOW: the game ends with STATUS, the terminal given
# back; the pane's server goes with it.
expect_exit() {
  wait_for has_exited "the game to end after $2"
  [ "$(exit_status)" = "$1" ] || fail "$2: exit status $(exit_status), not $1"
  check_terminal_restored
  T kill-server
}

# look turn|burst: the pointer 10 cells left and 5 up, as one report or as a
# burst of them; the world slides 5 rows down and 10 columns right. Judged
# by the letter formation, which stands still in the world however late a
# loaded machine shows it (look.py).
look() { python3 "$E2E/look.py" "$SOCKET" "$1" || fail "mouse look ($1)"; }

