#!/bin/sh
# foot on a headless sway, Wayland with no X server: the kitty keyboard
# protocol is in use (with autorepeat off a held W bursts for the whole hold,
# which only a reported release allows), the release stops the bursts, a tap
# bursts once, pointer motion turns the view, and Q ends the game with
# status 0 and the terminal given back with no keyboard flags pushed.
. "$(dirname "$0")/xlib.sh"
need sway swaymsg foot wtype grim python3
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK
export XDG_RUNTIME_DIR="$WORK/run" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman
mkdir -m 700 "$XDG_RUNTIME_DIR"

# sway refuses to start as root; then it runs as nobody, and the clients,
# still root, reach its sockets all the same.
as_user=""
if [ "$(id -u)" = 0 ]; then
  chmod 755 "$WORK"
  chown "$(id -u nobody):$(id -g nobody)" "$XDG_RUNTIME_DIR"
  as_user="setpriv --reuid=$(id -u nobody) --regid=$(id -g nobody) --clear-groups"
fi
# Autorepeat off: only the press and the release reach the terminal, so a
# hold rests on the protocol's release.
cat >"$WORK/sway.conf" <<'EOF'
output HEADLESS-1 resolution 1024x768 position 0 0
default_border none
default_floating_border none
xwayland disable
for_window [app_id="serifall"] floating enable
input type:keyboard repeat_rate 0
EOF
HOME=$WORK $as_user sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
started $!
wait_until 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1 &&
  ls "$XDG_RUNTIME_DIR"/wayland-* 2>/dev/null | grep -qv lock' 60 "sway's sockets"
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
WAYLAND_DISPLAY=$(basename "$(ls "$XDG_RUNTIME_DIR"/wayland-* | grep -v lock | head -n 1)")
export SWAYSOCK WAYLAND_DISPLAY
wait_until 'swaymsg -t get_outputs >/dev/null 2>&1' 60 "sway to answer"

# Each wtype call brings its own keyboard; a client that finds none when it
# starts binds one only with the first press, and loses that press. One
# idle keyboard and one pointer stay for the whole session.
wtype -s 100000000 &
started $!
python3 "$HERE/wpointer.py" >"$WORK/wpointer.log" 2>&1 &
POINTER=$!
started $POINTER
wait_until 'grep -q ready "$WORK/wpointer.log" || gone $POINTER' 60 "the virtual pointer"
grep -q ready "$WORK/wpointer.log" || fail "no virtual pointer"
wait_until 'swaymsg -t get_seats | grep -q "\"capabilities\": [37]"' 60 "a keyboard and a pointer on the seat"

# xterm's colours, which the pixel checks know, and no padding.
cat >"$WORK/foot.ini" <<'EOF'
[main]
pad=0x0
[colors]
background=000000
foreground=ffffff
regular0=000000
regular1=cd0000
regular2=00cd00
regular3=cdcd00
regular4=0000ee
regular5=cd00cd
regular6=00cdcd
regular7=e5e5e5
bright0=7f7f7f
bright1=ff0000
bright2=00ff00
bright3=ffff00
bright4=5c5cff
bright5=ff00ff
bright6=00ffff
bright7=ffffff
EOF
# After the game: the flags of the main and of the alternate screen, then
# one typed line, as a shell reads them.
after="stty raw -echo min 0 time 50; printf '\\033[?u\\033[?1049h\\033[?u\\033[?1049l';
  sleep 1; dd bs=256 count=1 of=flags 2>/dev/null; stty sane; head -n 1 > typed.new; mv typed.new typed;"
foot -c "$WORK/foot.ini" --app-id=serifall --window-size-chars=80x25 \
  sh -c "$(game_shell auto 1 "$after")" >"$WORK/foot.log" 2>&1 &
started $!
rect() {
  swaymsg -t get_tree | python3 -c '
import json, sys
def find(node):
    if node.get("app_id") == "serifall" and node.get("visible"):
        r = node["rect"]
        print("%d,%d,%d,%d" % (r["x"], r["y"], r["width"], r["height"]))
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        find(child)
find(json.load(sys.stdin))'
}
wait_until '[ -n "$(rect)" ]' 60 "the foot window"
RECT=$(rect)
SCREEN=$RECT:80:25
IFS=, read -r X Y W H <<EOF
$RECT
EOF
swaymsg -q seat seat0 cursor set $((X + W / 2)) $((Y + H / 2))

go 1
wdrive() { python3 "$HERE/wdrive.py" "$@" || fail "$1"; }
# The bursts are judged where they show with the view unturned, so mouse
# look comes after them.
wdrive start "$SCREEN"
wdrive hold "$SCREEN" 2
wdrive tap "$SCREEN"
wdrive look "$SCREEN"
wtype q
wait_until '[ -n "$(ended 1)" ]' 20 "the game to end after Q"
[ "$(ended 1)" = 0 ] || fail "exit status $(ended 1) after Q"

wait_until '[ -e "$WORK/flags" ]' 30 "the answers to the keyboard flags queries"
answers=$(od -An -c "$WORK/flags" | tr -d ' \n')
[ "$answers" = '033[?0u033[?0u' ] || fail "flags left pushed or key events left for the shell: $answers"
wtype plain
wtype -k Return
wait_until '[ -e "$WORK/typed" ]' 30 "the typed line to reach the shell"
[ "$(cat "$WORK/typed")" = plain ] || fail "typed text reached the shell as: $(od -c "$WORK/typed")"
echo ok
