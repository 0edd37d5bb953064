#!/bin/sh
# The picture follows the pane's size during play: grown, shrunk, 1x1 and
# back, each time the whole frame at the new edges and the crosshair at the
# new centre; the world cell under the crosshair stays under it. Every
# check waits for a picture, never for a span of game time.
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/turns.sh"

# whole_frame ROWS COLS: the frame drawn for that size (one capture).
whole_frame() {
  screen | awk -v rows="$1" -v cols="$2" '
    { line[NR - 1] = $0 }
    function at(r, c) { return substr(line[r], c + 1, 1) }
    END {
      if (NR != rows || length(line[0]) > cols) exit 1
      # Without a cell before it, the bottom-right cell cannot be written
      # (the terminal would scroll): on 1 x 1 the crosshair is not shown.
      if (int(rows / 2) == rows - 1 && cols == 1) exit 0
      if (at(int(rows / 2), int(cols / 2)) != "+") exit 1
      if (rows < 6 || cols < 6) exit 0
      if (at(0, 0) != "\\" || at(rows - 1, cols - 1) != "\\") exit 1
      if (at(0, cols - 1) != "/" || at(rows - 1, 0) != "/") exit 1
      if (at(int(rows / 2), 0) != "|" || at(int(rows / 2), cols - 1) != "|") exit 1
      for (c = 3; c < cols - 3; c++) if (at(0, c) != "-" || at(rows - 1, c) != "-") exit 1
    }'
}

resize_to() {
  T resize-window -t g -x "$1" -y "$2"
  wait_for "[ \"\$(flag pane_width)x\$(flag pane_height)\" = $1x$2 ]" "the pane at $1x$2"
  wait_for "whole_frame $2 $1" "the whole frame at $1x$2"
  ! has_exited || fail "the game ended at $1x$2"
}

for program in "$GAME" "$EARLY"; do
  start_game "$program"
  for size in 120x40 60x20 1x1 2x3 80x25 300x200; do resize_to "${size%x*}" "${size#*x}"; done

  show_formation
  resize_to 240 160
  still "$TURNS/now" || fail "the view never held still"
  shift=$(awk -f "$(dirname "$0")/view_shift.awk" "$TURNS/start" "$TURNS/now")
  # The centre moved from (100, 150) to (80, 120): the world with it.
  [ "$shift" = "-20 -30" ] || fail "the world moved by $shift, not with the centre (-20 -30)"

  resize_to 80 25
  T send-keys -t g q
  expect_exit 0 q
done
echo ok
