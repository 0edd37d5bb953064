#!/bin/sh
# Where the terminal keeps no alternate screen (tmux with alternate-screen
# off, as GNU screen, mosh and Emacs term behave), every way out leaves the
# screen blank above the shell's next lines: Q, Ctrl-C, a quit signal, a
# crash, Ctrl-Z, and Ctrl-C at the intro.
. "$(dirname "$0")/lib.sh"

GATE=$(mktemp -u)
trap 'cleanup; rm -f "$GATE"' EXIT

# The pane's command waits until the option is set, so the game never
# starts on an alternate screen.
start_plain() {
  rm -f "$GATE"
  T new-session -d -s g -x 80 -y 25 "until [ -e $GATE ]; do sleep 0.05; done; $1" || fail "tmux did not start"
  T set-option -g remain-on-exit on
  T set-option -wg alternate-screen off
  touch "$GATE"
}

# Nothing of the game is left: only the lines the shell wrote after it.
blank_but() {
  screen | grep -v '^$' | grep -Ev "$1" | grep -q . && return 1
  return 0
}

# leave STATUS HOW: the game ends with STATUS, the terminal given back and
# blank but for the status line and the shell's report of a signal.
leave() {
  wait_for has_exited "the game to end after $2"
  [ "$(exit_status)" = "$1" ] || fail "$2: exit status $(exit_status), not $1"
  check_terminal_restored
  blank_but "^EXIT=$1\$|Terminated|Segmentation fault" || fail "a picture left after $2"
  T kill-server
}

play() {
  GAME_NAME=$(basename "$GAME")
  start_plain "$(game_command "$GAME")"
  wait_for "screen_has \"Studio 'Vellmoor'\"" "the intro line"
  [ -n "$1" ] || return 0
  T send-keys -t g x
  wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair"
  [ "$(flag alternate_on)" = 0 ] || fail "the alternate screen is on"
}

play game
T send-keys -t g q
leave 0 q

play game
T send-keys -t g C-c
leave 130 Ctrl-C

play game
kill -s TERM "$(game_pid)"
leave 143 SIGTERM

play game
kill -s SEGV "$(game_pid)"
leave 139 SIGSEGV

play ""
T send-keys -t g C-c
leave 130 "Ctrl-C at the intro"

# Ctrl-Z in an interactive shell: the shell's lines only, then fg and Q.
stop_in_shell start_plain
blank_but 'Stopped|^EXIT=147$|^ready>' || fail "a picture left after Ctrl-Z"
T send-keys -t g "fg; echo EXIT=\$?" Enter
wait_for '[ "$(cell 12 40)" = "+" ]' "the game to resume"
T send-keys -t g q
wait_for 'screen_has "EXIT=0"' "the game to end after fg and q"
blank_but '^EXIT=0$|^ready>' || fail "a picture left after fg and Q"
echo ok
