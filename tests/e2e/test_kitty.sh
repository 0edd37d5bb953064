#!/bin/sh
# kitty with the kitty keyboard protocol: a held W sets off bursts for the
# whole hold and stops with the release, a quick Q ends the game, and the
# terminal is left with no keyboard flags pushed on either screen.
. "$(dirname "$0")/xlib.sh"
need kitty
start_x

# After the games: the flags of the main and of the alternate screen (each
# query answers ESC[?<flags>u), then one typed line, as a shell reads them.
after="stty raw -echo min 0 time 50; printf '\\033[?u\\033[?1049h\\033[?u\\033[?1049l';
  sleep 1; dd bs=256 count=1 of=flags 2>/dev/null; stty sane; head -n 1 > typed.new; mv typed.new typed;"
SOCKET=$WORK/kitty.sock
export LIBGL_ALWAYS_SOFTWARE=1  # kitty draws with OpenGL; Xvfb has none
start_term kitty --config NONE -o allow_remote_control=yes \
  --listen-on "unix:$SOCKET" -o initial_window_width=80c -o initial_window_height=25c \
  -o remember_window_size=no sh -c "$(game_shell terminal 2 "$after")"
wait_until '[ -S "$SOCKET" ]' 60 "kitty's remote control socket"

# Two games, each one hold (done before the letter's first shot can land
# and shake the picture) and a quick Q. First a held key as the player's
# keyboard sends it (X autorepeat on: kitty reports repeats), then with
# autorepeat off: only the press and the release reach the game, so the
# whole hold rests on the protocol's release.
for run in 1 2; do
  [ $run = 2 ] && drive repeat off
  drive ready "kitty:$SOCKET"
  go $run
  drive start "kitty:$SOCKET"
  drive hold "kitty:$SOCKET" 2
  xdotool key q
  wait_until '[ -n "$(ended $run)" ]' 20 "the game to end after a quick Q (run $run)"
  [ "$(ended $run)" = 0 ] || fail "exit status $(ended $run) after Q"
done
drive repeat on

wait_until '[ -e "$WORK/flags" ]' 30 "the answers to the keyboard flags queries"
answers=$(od -An -c "$WORK/flags" | tr -d ' \n')
case $answers in
  *'033[?0u033[?0u') ;;
  *) fail "keyboard flags left pushed: $answers (main, then alternate screen)" ;;
esac
# A key event the game left behind would reach the shell as an escape code.
[ "$answers" = '033[?0u033[?0u' ] || fail "the game's key events reached the shell: ${answers%033\[?0u033\[?0u}"
xdotool type plain
xdotool key Return
wait_until '[ -e "$WORK/typed" ]' 30 "the typed line to reach the shell"
[ "$(cat "$WORK/typed")" = plain ] || fail "typed text reached the shell as: $(od -c "$WORK/typed")"
echo ok
