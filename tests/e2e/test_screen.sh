#!/bin/sh
# The game in GNU screen (as Debian ships it, with no screenrc) inside
# tmux: it starts, follows the window's size, the arrow keys turn the view,
# and Q leaves screen's window blank (screen keeps no alternate screen) with
# the modes off. Status 77 (skipped) without screen.
command -v screen >/dev/null || { echo "no GNU screen"; exit 77; }
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/turns.sh"

SCREENDIR=$TURNS/sockets
mkdir -m 700 "$SCREENDIR"
export SCREENDIR
# screen's back end outlives the tmux pane (it detaches on a hangup), and
# each window waits in a sleep: ended here, whichever way the test ends.
quit_screens() {
  for socket in "$SCREENDIR"/*; do
    [ -e "$socket" ] && command screen -S "${socket##*/}" -X quit 2>/dev/null
  done
  return 0
}
trap 'quit_screens; cleanup; rm -rf "$TURNS"' EXIT

for program in "$GAME" "$EARLY"; do
  GAME_NAME=$(basename "$program")
  start_pane "exec screen -c /dev/null -q sh -c '$(game_command "$program" | sed "s/'/'\\\\''/g")'"
  wait_for "screen_has \"Studio 'Vellmoor' przedstawia gre: Serifall\"" "the intro line"
  T send-keys -t g x
  wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair"
  [ "$(flag mouse_any_flag)" = 1 ] || fail "screen passed no any-motion mouse mode on"
  show_formation
  tap Right 0 -1
  tap Down -1 0
  T send-keys -t g q
  wait_for has_exited "the game to end after q"
  [ "$(exit_status)" = 0 ] || fail "exit status $(exit_status), not 0"
  wait_for '[ "$(flag mouse_any_flag)" = 0 ]' "the mouse modes off"
  screen | grep -v '^$' | grep -qv '^EXIT=0$' && fail "a picture left in screen's window"
  quit_screens
  T kill-server
done
echo ok
