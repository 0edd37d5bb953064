#!/bin/sh
# rxvt-unicode with the terminal input backend: pointer motion, as urxvt
# reports it, turns the view. The window is 200 x 70: urxvt reports the
# pointer in cells, within the window, and the letter that shows the turn
# may stand anywhere within 50 cells of the world's centre.
. "$(dirname "$0")/xlib.sh"
need urxvt
start_x

start_term urxvt -fn fixed -b 0 -geometry 200x70 +sb -bg black -fg white \
  -e sh -c "$(game_shell terminal 1 "")"
go 1
SCREEN=window:$WINDOW:200:70
drive start "$SCREEN"
drive look "$SCREEN"
xdotool key q
wait_until '[ -n "$(ended 1)" ]' 20 "the game to end after Q"
[ "$(ended 1)" = 0 ] || fail "exit status $(ended 1) after Q"
echo ok
