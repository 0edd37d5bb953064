#!/bin/sh
# The arrow keys turn the view where the pointer cannot (tmux passes no
# key releases): a tap by one cell, a hold on until it is let go. The same
# program under its second name gets one tap.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/turns.sh"

start_game "$GAME"
show_formation
# Right turns the view right: the world moves left; down moves it up.
tap Right 0 -1
tap Down -1 0
tap Left 0 1
tap Up 1 0
moved=$(hold Right 12)
from=${moved%% -> *} to=${moved##* -> }
[ $((${to#* } - ${from#* })) -le -10 ] || fail "Right held turned only from $from to $to"
echo "Right held as 12 presses 30 ms apart: $moved"
! has_exited || fail "the game ended while turning"
T send-keys -t g q
expect_exit 0 q

start_game "$EARLY"
show_formation
tap Right 0 -1
T send-keys -t g q
expect_exit 0 q
echo ok
