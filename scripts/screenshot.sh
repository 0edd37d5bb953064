#!/bin/sh
# doc/screenshot.png: the game in the middle of play in a real xterm under a
# virtual X server. The game runs in a private tmux session that the xterm
# shows, so the script can read the screen to aim: it follows the red dot
# beside the crosshair to the letter, holds the space bar, taps W and takes
# the xterm window with ImageMagick's import.
#
#   scripts/screenshot.sh [path/to/serifall] [out.png]
#
# Needs xvfb, xterm, tmux, imagemagick (and xdotool for the window id).
set -eu

cd "$(dirname "$0")/.."
GAME=$(realpath "${1:-build/serifall}")
OUT=${2:-doc/screenshot.png}
SOCKET=serifall-shot-$$
WORK=$(mktemp -d)
XVFB=""
XTERM=""
FIRE=""

T() { tmux -L "$SOCKET" -f /dev/null "$@"; }
cleanup() {
  for pid in $FIRE $XTERM $XVFB; do kill "$pid" 2>/dev/null || true; done
  T kill-server 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

for tool in Xvfb xterm tmux import xdotool; do
  command -v "$tool" >/dev/null || { echo "screenshot: $tool is missing" >&2; exit 1; }
done
[ -x "$GAME" ] || { echo "screenshot: no game at $GAME (make build first)" >&2; exit 1; }

# -displayfd picks a free display: other X servers may run beside this one.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$WORK/display" 2>/dev/null &
XVFB=$!
for _ in $(seq 100); do [ -s "$WORK/display" ] && break; sleep 0.1; done
DISPLAY=:$(cat "$WORK/display")
export DISPLAY

T new-session -d -s g -x 80 -y 25 "$GAME"
T set-option -g status off
T set-option -g default-terminal tmux-256color
xterm -geometry 80x25+0+0 -fa 'DejaVu Sans Mono' -fs 11 -bg black -fg grey90 \
  -xrm 'XTerm*cursorBlink: false' -e tmux -L "$SOCKET" -f /dev/null attach -t g &
XTERM=$!

screen() { T capture-pane -p -t g; }
wait_for() {
  for _ in $(seq 200); do
    if screen | grep -qF -- "$1"; then return 0; fi
    sleep 0.05
  done
  echo "screenshot: timed out waiting for '$1'" >&2
  screen >&2
  exit 1
}
wait_for "przedstawia"
# The pane is as large as the xterm once the client is attached.
sleep 1
T send-keys -t g x
sleep 0.5

# Pointer events in the pane's cells (1-based); every event turns the view
# by its motion since the last one.
px=41
py=13
point() {
  px=$1
  py=$2
  T send-keys -t g -l "$(printf '\033[<35;%d;%dM' "$px" "$py")"
}
point 41 13
rows=$(T display-message -p -t g '#{pane_height}')
cols=$(T display-message -p -t g '#{pane_width}')
cr=$((rows / 2))
cc=$((cols / 2))

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

# Turning: the pointer rests on the window's edge toward the dot (the view
# keeps turning that way), then comes back to the middle.
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
letter_near || { echo "screenshot: did not find the letter" >&2; screen >&2; exit 1; }

# Fire: the terminal reports a held key as its repeats.
(while :; do T send-keys -t g ' '; sleep 0.04; done) &
FIRE=$!
sleep 1.2
T send-keys -t g w
sleep 0.05
T send-keys -t g w
sleep 0.15

window=$(xdotool search --pid "$XTERM" 2>/dev/null | head -n 1)
[ -n "$window" ] || window=root
import -window "$window" "$WORK/shot.png"
kill "$FIRE"
FIRE=""
convert "$WORK/shot.png" +dither -colors 32 -strip -define png:compression-level=9 "$OUT"
echo "screenshot: wrote $OUT ($(($(stat -c %s "$OUT") / 1024)) KB)"
screen
