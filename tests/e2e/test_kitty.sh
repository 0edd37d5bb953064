#!/bin/sh
# kitty with the kitty keyboard protocol: a held W sets off bursts for the
# whole hold and stops with the release, a quick Q ends the game, and the
# terminal is left with no keyboard flags pushed on either screen. Then,
# when SERIFALL_REFERENCE names a build that paces at the display's rate
# (c102e7b), the picture rate with the terminal backend (as over SSH or
# under Wayland) while W is held, beside that build's in the same run. (The
# X11 backend cannot stand in for it: without the terminal's answers the
# game does not know the terminal takes synchronized updates, whose marks
# count the pictures.)
. "$(dirname "$0")/xlib.sh"
need kitty
start_x

# After the games: the flags of the main and of the alternate screen (each
# query answers ESC[?<flags>u), then one typed line, as a shell reads them.
after="stty raw -echo min 0 time 50; printf '\\033[?u\\033[?1049h\\033[?u\\033[?1049l';
  sleep 1; dd bs=256 count=1 of=flags 2>/dev/null; stty sane; head -n 1 > typed.new; mv typed.new typed;"
SOCKET=$WORK/kitty.sock
export LIBGL_ALWAYS_SOFTWARE=1  # kitty draws with OpenGL; Xvfb has none
start_term kitty --config NONE -o allow_remote_control=yes \
  --listen-on "unix:$SOCKET" -o initial_window_width=80c -o initial_window_height=25c \
  -o remember_window_size=no sh -c "$(game_shell terminal 2 "$after")"
wait_until '[ -S "$SOCKET" ]' 60 "kitty's remote control socket"

# Two games, each one hold (done before the letter's first shot can land
# and shake the picture) and a quick Q. First a held key as the player's
# keyboard sends it (X autorepeat on: kitty reports repeats), then with
# autorepeat off: only the press and the release reach the game, so the
# whole hold rests on the protocol's release.
for run in 1 2; do
  [ $run = 2 ] && drive repeat off
  drive ready "kitty:$SOCKET"
  go $run
  drive start "kitty:$SOCKET"
  drive hold "kitty:$SOCKET" 2
  xdotool key q
  wait_until '[ -n "$(ended $run)" ]' 20 "the game to end after a quick Q (run $run)"
  [ "$(ended $run)" = 0 ] || fail "exit status $(ended $run) after Q"
done
drive repeat on

wait_until '[ -e "$WORK/flags" ]' 30 "the answers to the keyboard flags queries"
answers=$(od -An -c "$WORK/flags" | tr -d ' \n')
case $answers in
  *'033[?0u033[?0u') ;;
  *) fail "keyboard flags left pushed: $answers (main, then alternate screen)" ;;
esac
# A key event the game left behind would reach the shell as an escape code.
[ "$answers" = '033[?0u033[?0u' ] || fail "the game's key events reached the shell: ${answers%033\[?0u033\[?0u}"
xdotool type plain
xdotool key Return
wait_until '[ -e "$WORK/typed" ]' 30 "the typed line to reach the shell"
[ "$(cat "$WORK/typed")" = plain ] || fail "typed text reached the shell as: $(od -c "$WORK/typed")"

# The rate: kitty answers the game's requests after its own frame, with
# tens of milliseconds of jitter, yet takes bytes as fast as they come; a
# game that took each late answer for a queue on the way was measured at a
# quarter of the reference's pictures. The builds take turns, twice, so that
# the machine's load falls on both alike; the game runs behind ptytee.py,
# which notes each picture's begin mark. Two busy loops run meanwhile
# (RATE_BUSY): on an idle machine kitty's answers come evenly enough that
# even that game kept 85 % of the reference's rate, and only a loaded one
# showed its fault (37 %). Only a loss of half or more fails: the load
# moves a sound game's figure by far less than that.
REFERENCE=${SERIFALL_REFERENCE:-}
if [ -z "$REFERENCE" ] || [ ! -x "$REFERENCE" ]; then
  echo "picture rate not compared: no reference build in SERIFALL_REFERENCE"
  echo ok
  exit 0
fi
kill "$TERM_PID"
for run in 1 3; do
  echo "SERIFALL_INPUT=terminal exec python3 '$HERE/ptytee.py' marks$run '$GAME'" >"$WORK/build$run"
  echo "SERIFALL_INPUT=terminal exec python3 '$HERE/ptytee.py' marks$((run + 1)) '$REFERENCE'" \
    >"$WORK/build$((run + 1))"
done
runner="cd '$WORK'; for run in 1 2 3 4; do while [ ! -e rgo\$run ]; do sleep 0.05; done;
  sh build\$run; echo \$? > rstatus\$run; done; read _"
SOCKET=$WORK/kitty-rate.sock
start_term kitty --config NONE -o allow_remote_control=yes \
  --listen-on "unix:$SOCKET" -o initial_window_width=80c -o initial_window_height=25c \
  -o remember_window_size=no sh -c "$runner"
wait_until '[ -S "$SOCKET" ]' 60 "kitty's remote control socket"
HOLD=${RATE_HOLD:-5}
BUSY=""
for _ in $(seq "${RATE_BUSY:-2}"); do
  sh -c 'while :; do :; done' &
  started $!
  BUSY="$BUSY $!"
done
for run in 1 2 3 4; do
  drive ready "kitty:$SOCKET"
  : >"$WORK/rgo$run"
  drive start "kitty:$SOCKET"
  date +%s.%N >"$WORK/held$run"
  xdotool keydown w
  sleep "$HOLD"
  xdotool keyup w
  date +%s.%N >>"$WORK/held$run"
  xdotool key q
  wait_until '[ -e "$WORK/rstatus$run" ]' 30 "the game to end after Q (rate run $run)"
done
for pid in $BUSY; do kill "$pid"; done
# Pictures per second from half a second into the hold to its end.
rate() {
  awk -v from="$(head -n 1 "$WORK/held$1")" -v to="$(tail -n 1 "$WORK/held$1")" \
    '$1 >= from + 0.5 && $1 <= to { n++ } END { printf "%.1f", n / (to - from - 0.5) }' "$WORK/marks$1"
}
for run in 1 2 3 4; do [ -s "$WORK/marks$run" ] || fail "no picture marks from rate run $run"; done
own=$(echo "$(rate 1) $(rate 3)" | awk '{ print ($1 + $2) / 2 }')
ref=$(echo "$(rate 2) $(rate 4)" | awk '{ print ($1 + $2) / 2 }')
echo "kitty, W held, terminal backend: $own pictures/s ($(rate 1), $(rate 3)); $REFERENCE: $ref ($(rate 2), $(rate 4))"
awk -v ref="$ref" 'BEGIN { exit !(ref > 0) }' || fail "the reference made no pictures while W was held"
awk -v own="$own" -v ref="$ref" 'BEGIN { exit !(own >= 0.5 * ref) }' ||
  fail "the terminal backend made $own pictures/s while W was held, under half the reference's $ref"
echo ok
