#!/bin/sh
# Every way out gives the terminal back: signals, Ctrl-C, a crash, Ctrl-Z.
. "$(dirname "$0")/lib.sh"

for sig in TERM:15 HUP:1; do
  start_game "$GAME"
  kill -s "${sig%:*}" "$(game_pid)"
  expect_exit "$((128 + ${sig#*:}))" "SIG${sig%:*}"
done

start_game "$GAME"
T send-keys -t g C-c
expect_exit 130 "Ctrl-C"

# The terminal goes away: the game must notice and end, not spin. A game
# that has noticed is gone within a frame and its exit (at most 0.16 s for
# the release build, 1.5 s once for the sanitizer build, on a loaded
# machine), while one that missed it runs on for good: the deadline sits far
# above the first and still catches the second. The time taken is printed.
# In the sanitizer build the leak check at exit stops the process with
# ptrace, and the stop signal can be cancelled by the SIGCONT that comes
# with the hangup; the check then waits for ever (2 of 12 runs here). Its
# report would go to the closed terminal anyway, so this run goes without.
# (A process that has ended but is not yet reaped counts as ended.)
start_game "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 $GAME"
pid=$(game_pid)
closed=$(date +%s.%N)
T kill-server
gone=$(perl -MTime::HiRes=time,sleep -e '
  my ($pid, $start) = @ARGV;
  while (time - $start < 10) {
    open(my $stat, "<", "/proc/$pid/stat") or last;
    last if <$stat> =~ /\) Z /;
    sleep 0.02;
  }
  my $took = time - $start;
  printf "%.0f", 1000 * $took;
  exit($took < 10 ? 0 : 1)' "$pid" "$closed") || { kill -9 "$pid"; fail "the game outlived its terminal by 10 seconds"; }
echo "the game left $gone ms after its terminal was closed"

# A crash: the reset string is written from the signal handler.
start_game "$GAME"
kill -s SEGV "$(game_pid)"
expect_exit 139 "SIGSEGV"

# Ctrl-Z in an interactive shell, then fg: a usable shell while stopped and
# the game back where it was.
stop_in_shell start_pane
check_terminal_restored
T send-keys -t g "clear; fg; echo EXIT=\$?" Enter
wait_for '[ "$(cell 12 40)" = "+" ] && [ "$(flag mouse_any_flag)" = 1 ]' "the game to resume"
T send-keys -t g q
expect_exit 0 "fg and q"
echo ok
