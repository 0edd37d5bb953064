#!/bin/sh
# Every way out gives the terminal back: signals, Ctrl-C, a crash, Ctrl-Z.
. "$(dirname "$0")/lib.sh"

pane_pid() { flag pane_pid; }

expect_signal_exit() {  # SIGNAL-NUMBER HOW
  wait_for is_dead "the game to end after $2"
  [ "$(flag pane_dead_signal)" = "$1" ] || [ "$(flag pane_dead_status)" = "$((128 + $1))" ] ||
    fail "$2: ended with status '$(flag pane_dead_status)' signal '$(flag pane_dead_signal)'"
  check_terminal_restored
  T kill-server
}

for sig in TERM HUP; do
  start_game "exec $GAME"
  kill -s "$sig" "$(pane_pid)"
  expect_signal_exit "$(kill -l "$sig")" "SIG$sig"
done

start_game "exec $GAME"
T send-keys -t g C-c
expect_signal_exit 2 "Ctrl-C"

# A crash: the reset string is written from the signal handler.
start_game "exec $GAME"
kill -s SEGV "$(pane_pid)"
expect_signal_exit 11 "SIGSEGV"

# Ctrl-Z in an interactive shell, then fg: a usable shell while stopped and
# the game back where it was.
start_pane "PS1='$ ' exec bash --norc --noprofile -i"
wait_for 'screen_has "$ "' "the shell prompt"
T send-keys -t g "$GAME; echo EXIT=\$?" Enter
wait_for "screen_has \"Studio 'Vellmoor'\"" "the intro line"
T send-keys -t g x
wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair"
T send-keys -t g C-z
wait_for 'screen_has "Stopped"' "the shell to report the stopped job"
check_terminal_restored
T send-keys -t g "fg" Enter
wait_for '[ "$(cell 12 40)" = "+" ] && [ "$(flag mouse_any_flag)" = 1 ]' "the game to resume"
T send-keys -t g q
wait_for 'screen_has "EXIT=0"' "the game to end with status 0 after fg and q"
check_terminal_restored
echo ok
