#!/bin/sh
# Pictures are sent at the display's pace, so frames in between are never
# shown: what must hold is that the terminal ends on the latest picture,
# after a burst of motion and after a storm of resizes.
. "$(dirname "$0")/lib.sh"

# The frame's fixed marks, where a resize would have lost them.
frame_whole() {
  [ "$(cell 12 40)" = + ] && [ "$(cell 0 79)" = / ] && [ "$(cell 24 0)" = / ] &&
    [ "$(cell 24 40)" = - ] && [ "$(cell 12 79)" = '|' ] && [ "$(cell 0 0)" = '\' ]
}

for program in "$GAME" "$EARLY"; do
  start_game "$program"

  # Many pointer reports in one burst, far more than pictures are sent; only
  # their sum counts. It leaves the view 10 cells left and 5 up, as one report
  # would.
  look burst

  # A storm of resizes with no pause between them, then the start-up size:
  # the whole frame is back, not a picture from the middle of the storm.
  for _ in 1 2 3; do
    for size in 200x60 40x12 1x1 120x5 81x26 80x24; do
      T resize-window -t g -x "${size%x*}" -y "${size#*x}"
    done
  done
  T resize-window -t g -x 80 -y 25
  ! has_exited || fail "the game ended in the resize storm"
  wait_for frame_whole "the whole frame after the resize storm"

  T send-keys -t g q
  expect_exit 0 q
done
echo ok
