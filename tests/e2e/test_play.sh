#!/bin/sh
# A player's first seconds: intro, a key, the frame, mouse look, Q.
. "$(dirname "$0")/lib.sh"

for program in "$GAME" "$EARLY"; do
  start_game "$program"
  [ "$(cell 0 0)" = '\' ] || fail "corner mark missing"
  [ "$(cell 0 1)" = '-' ] || fail "top border missing"
  [ "$(flag mouse_any_flag)" = 1 ] || fail "any-motion mouse reporting not enabled"

  # Pointer left 10 cells and up 5: the world slides right and down.
  look turn

  # Resizing never crashes it; the picture keeps its start-up size.
  for size in 200x60 40x12 1x1 120x5 80x25; do
    T resize-window -t g -x "${size%x*}" -y "${size#*x}"
    sleep 0.1
  done
  ! has_exited || fail "the game ended while the window was resized"
  wait_for '[ "$(cell 12 40)" = "+" ]' "the crosshair after the resizes"

  T send-keys -t g q
  expect_exit 0 q
done
echo ok
