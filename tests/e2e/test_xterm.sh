#!/bin/sh
# xterm with the default input backend (x11: keys from the keyboard state,
# the pointer held at the window's centre): a held W sets off bursts for the
# whole hold and stops with the release; a quick Q ends the game.
. "$(dirname "$0")/xlib.sh"
need xterm
start_x

# The core font "fixed" (6 x 13) is built into every X server; no inner
# border, so the cells tile the window exactly.
start_term xterm -fn fixed -b 0 -geometry 80x25 -bg black -fg white +sb \
  -e sh -c "$(game_shell auto 1 "")"
go 1
SCREEN=window:$WINDOW:80:25
drive start "$SCREEN"
drive hold "$SCREEN" 2
# The x11 backend is the one in use: it holds the pointer at the window's
# centre, so a pointer moved away comes back.
xdotool mousemove --window "$WINDOW" 20 20
wait_until '(eval "$(xdotool getmouselocation --shell)"; [ $((X - WIDTH / 2)) -ge -2 ] &&
  [ $((X - WIDTH / 2)) -le 2 ] && [ $((Y - HEIGHT / 2)) -ge -2 ] && [ $((Y - HEIGHT / 2)) -le 2 ])' \
  20 "the pointer to be held at the window's centre (x11 backend)"
xdotool key q
wait_until '[ -n "$(ended 1)" ]' 20 "the game to end after a quick Q"
[ "$(ended 1)" = 0 ] || fail "exit status $(ended 1) after Q"
echo ok
