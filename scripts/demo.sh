#!/bin/sh
# doc/demo.gif: a few seconds of real play in xterm under a virtual X server
# (see xterm-game.sh): the intro, the turn to the letter, shots landing,
# bursts. ffmpeg grabs the X screen at FPS frames a second and makes the
# GIF with a palette of its own, kept under 2 MB.
#
#   scripts/demo.sh [path/to/serifall] [out.gif]
#
# Needs xvfb, xterm, tmux, xdotool, ffmpeg and fonts-dejavu-core.
set -eu

cd "$(dirname "$0")/.."
GAME=$(realpath "${1:-build/serifall}")
OUT=${2:-doc/demo.gif}
FPS=${FPS:-10}
SOCKET=serifall-demo-$$
WORK=$(mktemp -d)
GRAB=""
. scripts/xterm-game.sh

cleanup() {
  [ -z "$GRAB" ] || kill "$GRAB" 2>/dev/null || true
  game_cleanup
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

need_tools Xvfb xterm tmux xdotool ffmpeg
start_game

# The xterm's own size, from its top left corner, as lossless frames.
eval "$(xdotool getwindowgeometry --shell "$WINDOW")"
ffmpeg -loglevel error -nostdin -f x11grab -draw_mouse 0 -framerate "$FPS" -video_size "${WIDTH}x$HEIGHT" \
  -i "$DISPLAY+0,0" -c:v png "$WORK/grab.mkv" &
GRAB=$!
sleep 1.5
aim
sleep 0.5
fire_start
sleep 2.5
for _ in 1 2 3 4 5 6; do
  key w
  sleep 0.25
done
sleep 1
fire_stop
sleep 1
# ffmpeg ends its file properly on SIGINT.
kill -INT "$GRAB"
wait "$GRAB" || true
GRAB=""

ffmpeg -loglevel error -nostdin -i "$WORK/grab.mkv" -vf "palettegen=max_colors=64:stats_mode=diff" \
  -y "$WORK/palette.png"
ffmpeg -loglevel error -nostdin -i "$WORK/grab.mkv" -i "$WORK/palette.png" \
  -lavfi "paletteuse=dither=none:diff_mode=rectangle" -loop 0 -y "$OUT"
size=$(stat -c %s "$OUT")
echo "demo: wrote $OUT ($((size / 1024)) KB, $(ffprobe -v error -count_frames -select_streams v:0 \
  -show_entries stream=nb_read_frames -of csv=p=0 "$OUT") frames at $FPS a second)"
[ "$size" -lt 2000000 ] || { echo "demo: $OUT is over 2 MB; try FPS=6" >&2; exit 1; }
