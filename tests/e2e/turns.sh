# Helpers for the runs that measure turns of the view (sourced after
# lib.sh). The formation and the enemy shots' centres ('A') stay put in the
# world, so how far they moved on screen is how far the view turned
# (view_shift.awk); nothing here waits for a span of game time.

TURNS=$(mktemp -d)
trap 'cleanup; rm -rf "$TURNS"' EXIT

# still FILE: a capture taken once the view holds still, four captures in
# a row with the letters where the one before had them. An enemy shot that
# reaches the player shakes the view, frame by frame, for up to four
# seconds, and then puts it back where the player turned it.
still() {
  same=0 tries=0
  screen >"$1"
  while [ "$same" -lt 4 ] && [ "$tries" -lt 600 ]; do
    sleep 0.05
    screen >"$TURNS/next"
    if [ "$(awk -f "$(dirname "$0")/view_shift.awk" "$1" "$TURNS/next")" = "0 0" ]; then
      same=$((same + 1))
    else
      same=0
    fi
    mv "$TURNS/next" "$1"
    tries=$((tries + 1))
  done
  [ "$same" -ge 4 ]
}

# On a 300 x 200 screen the view that followed the centre there shows the
# whole world the formation can stand in; `start` is the picture turns are
# measured from.
show_formation() {
  T resize-window -t g -x 300 -y 200
  wait_for '[ "$(screen | grep -o A | wc -l)" -ge 100 ] && [ "$(cell 100 150)" = "+" ]' \
    "the formation on the large screen"
  still "$TURNS/start" || fail "the view never held still"
}

# The turn since `start` once the view holds still, as "ROWS COLS" the
# world moved on screen; fails when it never holds still.
settled() {
  still "$TURNS/now" && awk -f "$(dirname "$0")/view_shift.awk" "$TURNS/start" "$TURNS/now"
}

# plus "ROWS COLS" DR DC
plus() { echo "$((${1% *} + $2)) $((${1#* } + $3))"; }

# The turn since `start` in one capture (a shake may be in it).
turned() {
  screen >"$TURNS/now"
  awk -f "$(dirname "$0")/view_shift.awk" "$TURNS/start" "$TURNS/now"
}

# tap KEY DR DC: one tap of KEY moves the world by (DR, DC), and once the
# view holds still it is there still (a tap is one cell, not a hold).
tap() {
  from=$(settled) || fail "the view never held still"
  want=$(plus "$from" "$2" "$3")
  T send-keys -t g "$1"
  wait_for "[ \"\$(turned)\" = \"$want\" ]" "the world moved from $from to $want after $1"
  [ "$(settled)" = "$want" ] || fail "$1 tapped once turned on from $from to $(settled)"
}

# hold KEY PRESSES: KEY sent PRESSES times 30 ms apart, as a held key's
# autorepeat sends it (one tmux command, so the gaps are the server's), then
# let go. Prints the turn before and after, once the view holds still.
hold() {
  from=$(settled) || fail "the view never held still"
  set -- "$1" "$2"
  keys=$1 presses=$2
  set --
  i=0
  while [ "$i" -lt "$presses" ]; do
    set -- "$@" send-keys -t g "$keys" \; run-shell "sleep 0.03" \;
    i=$((i + 1))
  done
  T "$@"
  to=$(settled) || fail "the view never held still after $keys was let go"
  echo "$from -> $to"
}
