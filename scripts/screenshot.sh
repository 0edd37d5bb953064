#!/bin/sh
# doc/screenshot.png: the game in the middle of play in a real xterm under a
# virtual X server (see xterm-game.sh): it turns to the letter, holds the
# space bar, taps W and takes the xterm window with ImageMagick's import.
#
#   scripts/screenshot.sh [path/to/serifall] [out.png]
#
# Needs xvfb, xterm, tmux, imagemagick and xdotool.
set -eu

cd "$(dirname "$0")/.."
GAME=$(realpath "${1:-build/serifall}")
OUT=${2:-doc/screenshot.png}
SOCKET=serifall-shot-$$
WORK=$(mktemp -d)
. scripts/xterm-game.sh

cleanup() {
  game_cleanup
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

need_tools Xvfb xterm tmux import xdotool
start_game
aim
fire_start
sleep 1.2
key w
sleep 0.05
key w
sleep 0.15

import -window "$WINDOW" "$WORK/shot.png"
fire_stop
convert "$WORK/shot.png" +dither -colors 32 -strip -define png:compression-level=9 "$OUT"
echo "screenshot: wrote $OUT ($(($(stat -c %s "$OUT") / 1024)) KB)"
screen
