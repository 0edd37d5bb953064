# The game in a real xterm on a private virtual X server, for the screenshot
# and the demo (sourced; needs GAME, WORK and SOCKET set). The game runs in
# a private tmux session that the xterm shows, so the scripts can read the
# screen to aim: they follow the red dot beside the crosshair to the letter.
# Keys are typed into the xterm with xdotool; the pointer's motion reports
# are put into the pane, as a terminal writes them.

XVFB=""
XTERM=""
FIRE=""
WINDOW=""

T() { tmux -L "$SOCKET" -f /dev/null "$@"; }
game_cleanup() {
  for pid in $FIRE $XTERM $XVFB; do kill "$pid" 2>/dev/null || true; done
  T kill-server 2>/dev/null || true
}

need_tools() {
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
  done
  [ -x "$GAME" ] || { echo "$0: no game at $GAME (make build first)" >&2; exit 1; }
}

# start_game: Xvfb, then the game in tmux shown by an xterm of 80 x 25.
start_game() {
  # -displayfd picks a free display: other X servers may run beside this one.
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
  XVFB=$!
  for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
  DISPLAY=:$(cat "$WORK/display")
  export DISPLAY
  T new-session -d -s g -x 80 -y 25 "$GAME"
  T set-option -g status off
  T set-option -g default-terminal tmux-256color
  xterm -b 0 -geometry 80x25+0+0 -fa 'DejaVu Sans Mono' -fs 11 -bg black -fg grey90 \
    -xrm 'XTerm*cursorBlink: false' -e tmux -L "$SOCKET" -f /dev/null attach -t g &
  XTERM=$!
  wait_for "przedstawia"
  WINDOW=$(xdotool search --sync --pid "$XTERM" 2>/dev/null | head -n 1)
  # Without a window manager the keyboard follows the pointer.
  xdotool mousemove --window "$WINDOW" 40 40
  # The pane is as large as the xterm once the client is attached.
  sleep 1
}

screen() { T capture-pane -p -t g; }
wait_for() {
  for _ in $(seq 200); do
    if screen | grep -qF -- "$1"; then return 0; fi
    sleep 0.05
  done
  echo "$0: timed out waiting for '$1'" >&2
  screen >&2
  exit 1
}
key() { xdotool key --delay 0 "$@"; }

# Pointer events in the pane's cells (1-based); every event turns the view
# by its motion since the last one.
px=41
py=13
point() {
  px=$1
  py=$2
  T send-keys -t g -l "$(printf '\033[<35;%d;%dM' "$1" "$2")"
}
# step D: a move toward a cell D away, at most 3 cells.
step() { awk -v d="$1" 'BEGIN { print (d > 3 ? 3 : d < -3 ? -3 : d) }'; }
# nearest_cell: rows and columns from the crosshair to the nearest letter cell.
nearest_cell() {
  screen | awk -v cr="$cr" -v cc="$cc" '
    { for (c = 1; c <= length($0); c++) if (substr($0, c, 1) == "A") {
        d = (NR - 1 - cr) ^ 2 + (c - 1 - cc) ^ 2
        if (best == "" || d < best) { best = d; at = (NR - 1 - cr) " " (c - 1 - cc) } } }
    END { print at }'
}

# The red dot: a '.' in red about five cells from the crosshair.
red_dot() {
  T capture-pane -p -e -t g | awk -v cr="$cr" -v cc="$cc" '
    {
      line = $0; col = 0; red = 0
      while (length(line) > 0) {
        if (match(line, /^\033\[[0-9;]*m/)) {
          sgr = substr(line, 3, RLENGTH - 3)
          n = split(sgr, p, ";")
          for (i = 1; i <= n; i++) {
            if (p[i] == "" || p[i] == 0 || p[i] == 39) red = 0
            else if (p[i] == 31 || p[i] == 91) red = 1
            else if (p[i] >= 30 && p[i] <= 37 || p[i] >= 90 && p[i] <= 97) red = 0
          }
          line = substr(line, RLENGTH + 1)
          continue
        }
        ch = substr(line, 1, 1); line = substr(line, 2)
        d2 = (NR - 1 - cr) ^ 2 + (col - cc) ^ 2
        if (ch == "." && red && d2 >= 9 && d2 <= 49) { print NR - 1 - cr, col - cc; exit }
        col++
      }
    }'
}
letter_near() {
  n=$(screen | sed -n "$((cr - 5)),$((cr + 7))p" | cut -c "$((cc - 14))-$((cc + 16))" | tr -cd 'A' | wc -c)
  [ "$n" -ge 40 ]
}

# aim: past the intro, turns until the letter is around the crosshair: the
# pointer rests on the window's edge toward the dot (the view keeps turning
# that way), then comes back to the middle.
aim() {
  key x
  sleep 0.5
  point 41 13
  rows=$(T display-message -p -t g '#{pane_height}')
  cols=$(T display-message -p -t g '#{pane_width}')
  cr=$((rows / 2))
  cc=$((cols / 2))
  for _ in $(seq 60); do
    letter_near && break
    dot=$(red_dot)
    [ -n "$dot" ] || { sleep 0.1; continue; }
    dr=${dot% *}
    dc=${dot#* }
    tx=$cc
    ty=$((cr + 1))
    [ "$dc" -ge 2 ] && tx=$cols
    [ "$dc" -le -2 ] && tx=1
    [ "$dr" -ge 2 ] && ty=$rows
    [ "$dr" -le -2 ] && ty=1
    point "$tx" "$ty"
    sleep 0.25
    point $((cc + 1)) $((cr + 1))
    sleep 0.1
  done
  letter_near || { echo "$0: did not find the letter" >&2; screen >&2; exit 1; }
  # Then the crosshair onto the letter's nearest cell, so the shots hit:
  # pointer motion turns the view the same way, in small steps that the
  # next look at the screen corrects.
  for _ in $(seq 20); do
    near=$(nearest_cell)
    [ -n "$near" ] || break
    dr=${near% *}
    dc=${near#* }
    point $((px + $(step "$dc"))) $((py + $(step "$dr")))
    sleep 0.3
    # The crosshair hides the cell under it: one step onto a neighbour is
    # the last.
    [ $((dr * dr + dc * dc)) -gt 2 ] || break
  done
}

# Fire as a held key reaches a terminal: its repeats.
fire_start() {
  (while :; do key space; sleep 0.04; done) &
  FIRE=$!
}
fire_stop() {
  kill "$FIRE" 2>/dev/null || true
  FIRE=""
}
