#!/bin/sh
# A far player's link on this machine: a private network namespace with only
# its loopback, a private sshd in it that lets the current user in with a key
# made for the occasion, and the link between ssh and sshd shaped to a preset.
#
#   scripts/far-link.sh PRESET [COMMAND [ARG...]]
#
# PRESET: lan (no shaping), 10mbit (10 ms each way), slow (160 kbit/s, that
# is 20 kB/s, 40 ms each way), 1mbit (60 ms each way). COMMAND (a shell when
# none is given) runs inside the namespace with
#   FAR_SSH     the ssh command line that reaches the shaped sshd: $FAR_SSH -tt far CMD
#   FAR_PRESET  the preset's name, FAR_DIR the temporary folder,
#   FAR_RATE    bytes/s (0: unlimited), FAR_DELAY ms each way, for a relay of
#               another kind (mosh's UDP: far-relay.py --udp).
#   FAR_LINK    a command that breaks and mends the link from inside:
#               $FAR_LINK down [PORT...]   every packet to or from sshd's port
#                                          (and the PORTs, TCP or UDP) is lost
#               $FAR_LINK up               they pass again
#               $FAR_LINK set PRESET       the link becomes PRESET's at once,
#                                          under the running session, as
#                                          far-link.sh would have made it
#                                          (a delay only where a relay runs;
#                                          the rate by tc)
#               $FAR_LINK queued           bytes sshd has sent that the far
#                                          end has not acknowledged yet, and
#                                          those sent to sshd likewise
#               An outage of real packets, not of the relay: the TCP on
#               both sides meets it as on a real link, retransmission
#               backoff and all.
# With FAR_LOSS=N (a whole percentage) N % of the packets to and from sshd
# are lost at random, each way, once the login works (nft's random numbers;
# needs nftables).
# Everything is taken down when COMMAND ends or this script is stopped: the
# processes left in the namespace, the namespace, the folder.
#
# The kernel here has no netem: the rate is an HTB class on the namespace's
# loopback for the sshd's port (both ways), the delay is far-relay.py between
# ssh and sshd. With FAR_SHAPER=relay the relay does the rate as well. The
# outage is a class that lets nothing through, chosen ahead of the others
# while the link is down ($FAR_LINK, below).
# Needs root (or the rights to make namespaces), ip, tc, sshd, ssh-keygen and
# python3; exits with 77 when something is missing.
set -u

PRESET=${1:?usage: $0 lan|10mbit|slow|1mbit [COMMAND...]}
shift
HERE=$(cd "$(dirname "$0")" && pwd)
SSHD_PORT=2222
RELAY_PORT=2200

values() {
  case "$1" in
    lan) RATE=0 DELAY=0 ;;
    10mbit) RATE=1250000 DELAY=10 ;;
    slow | 160kbit) RATE=20000 DELAY=40 ;;
    1mbit) RATE=125000 DELAY=60 ;;
    *) echo "far-link: unknown preset $1 (lan, 10mbit, slow, 1mbit)" >&2; exit 2 ;;
  esac
}
# The rate on the namespace's loopback, run inside it: a link's packet size
# and HTB classes for sshd's port, or (rate 0) none of it.
shape() {
  tc qdisc del dev lo root 2>/dev/null
  if [ "$1" = 0 ]; then
    ip link set lo mtu 65536 gso_max_size 65536
    return
  fi
  # A link's packet size, and no 64 kB loopback super-packets: at 20 kB/s one
  # of those would hold the link for three seconds.
  ip link set lo mtu 1500 gso_max_size 1500 || return 1
  bits=$(($1 * 8))
  tc qdisc add dev lo root handle 1: htb default 30 || return 77
  tc class add dev lo parent 1: classid 1:10 htb rate "${bits}bit" ceil "${bits}bit" burst 3000 quantum 1514
  tc class add dev lo parent 1: classid 1:20 htb rate "${bits}bit" ceil "${bits}bit" burst 3000 quantum 1514
  tc class add dev lo parent 1: classid 1:30 htb rate 10gbit quantum 60000
  # From sshd is the way down to the player, to sshd the way up.
  tc filter add dev lo parent 1: protocol ip u32 match ip sport "$SSHD_PORT" 0xffff flowid 1:10
  tc filter add dev lo parent 1: protocol ip u32 match ip dport "$SSHD_PORT" 0xffff flowid 1:20
}
# far-link.sh --set PRESET, for $FAR_LINK set inside the namespace: that
# preset's rate, and its delay in DIR/relay.conf; prints the delay.
if [ "$PRESET" = --set ]; then
  values "$1"
  shape "$RATE" || exit
  echo "$DELAY"
  exit 0
fi
values "$PRESET"

skip() { echo "far-link: skipped: $*" >&2; exit 77; }
for tool in ip tc ssh ssh-keygen python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
SSHD=$(command -v sshd || echo /usr/sbin/sshd)
[ -x "$SSHD" ] || skip "sshd is not installed (openssh-server)"

NS=serifall-far-$$
DIR=$(mktemp -d "${TMPDIR:-/tmp}/serifall-far.XXXXXX") || exit 1
NS_MADE=0

# The namespace's own processes (sshd, its sessions, the relay, what COMMAND
# left behind) are ended by their ids before the namespace goes.
cleanup() {
  status=$?
  trap - EXIT INT TERM HUP
  if [ "$NS_MADE" = 1 ]; then
    for pid in $(ip netns pids "$NS" 2>/dev/null); do kill "$pid" 2>/dev/null; done
    sleep 0.2
    for pid in $(ip netns pids "$NS" 2>/dev/null); do kill -9 "$pid" 2>/dev/null; done
    ip netns del "$NS" 2>/dev/null
  fi
  rm -rf "$DIR"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

ip netns add "$NS" 2>/dev/null || skip "cannot make a network namespace (needs root)"
NS_MADE=1
IN() { ip netns exec "$NS" "$@"; }
# Loopback only: 127.0.0.1 is the one address anything here uses.
ip -n "$NS" link set lo up

if [ "$RATE" != 0 ] && [ "${FAR_SHAPER:-tc}" = tc ]; then
  IN "$0" --set "$PRESET" >/dev/null
  case $? in
    0) ;;
    77) skip "tc cannot add an HTB qdisc" ;;
    *) exit 1 ;;
  esac
  RELAY_RATE=0
else
  RELAY_RATE=$RATE
fi

# The private sshd: its own host key and configuration, key-only login for
# the current user, nothing forwarded, nothing printed at login.
USER_NAME=$(id -un)
ssh-keygen -q -t ed25519 -N '' -C serifall-far-host -f "$DIR/host_key" || exit 1
ssh-keygen -q -t ed25519 -N '' -C serifall-far-user -f "$DIR/user_key" || exit 1
cp "$DIR/user_key.pub" "$DIR/authorized_keys"
cat >"$DIR/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $SSHD_PORT
HostKey $DIR/host_key
PidFile $DIR/sshd.pid
AuthorizedKeysFile $DIR/authorized_keys
AllowUsers $USER_NAME
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
X11Forwarding no
AllowTcpForwarding no
AllowAgentForwarding no
PrintMotd no
PrintLastLog no
UseDNS no
EOF
# sshd refuses to start without its privilege separation folder, which the
# packaged service makes at boot; on a machine that never ran it, make it.
[ -d /run/sshd ] || mkdir -p -m 0755 /run/sshd
IN "$SSHD" -D -e -f "$DIR/sshd_config" 2>"$DIR/sshd.log" &

PORT=$SSHD_PORT
if [ "$DELAY" != 0 ] || [ "$RELAY_RATE" != 0 ]; then
  echo "$DELAY $RELAY_RATE" >"$DIR/relay.conf"
  # Not through IN: the id noted must be the relay's, not a subshell's
  # (ip netns exec becomes the command).
  ip netns exec "$NS" python3 "$HERE/far-relay.py" --conf "$DIR/relay.conf" "$RELAY_PORT" \
    "$SSHD_PORT" "$DELAY" "$RELAY_RATE" 2>"$DIR/relay.log" &
  echo $! >"$DIR/relay.pid"
  PORT=$RELAY_PORT
fi

printf '[127.0.0.1]:%s %s\n' "$PORT" "$(cut -d' ' -f1-2 "$DIR/host_key.pub")" >"$DIR/known_hosts"
cat >"$DIR/ssh_config" <<EOF
Host far
  HostName 127.0.0.1
  Port $PORT
  User $USER_NAME
  IdentityFile $DIR/user_key
  IdentitiesOnly yes
  UserKnownHostsFile $DIR/known_hosts
  StrictHostKeyChecking yes
  BatchMode yes
  ForwardX11 no
  ForwardAgent no
  ControlMaster no
  LogLevel ERROR
EOF

# Both listen within moments; a login proves the whole way works.
tries=0
until IN ssh -F "$DIR/ssh_config" far true 2>/dev/null; do
  tries=$((tries + 1))
  if [ "$tries" -ge 50 ]; then
    echo "far-link: no login through the $PRESET link; sshd said:" >&2
    cat "$DIR/sshd.log" "$DIR/relay.log" >&2 2>/dev/null
    exit 1
  fi
  sleep 0.2
done

LOSS=${FAR_LOSS:-0}
if [ "$LOSS" != 0 ]; then
  command -v nft >/dev/null 2>&1 || skip "FAR_LOSS needs nft (nftables)"
  IN nft -f - <<EOF || exit 1
table inet far {
  chain out {
    type filter hook output priority 0;
    tcp sport $SSHD_PORT numgen random mod 100 < $LOSS drop
    tcp dport $SSHD_PORT numgen random mod 100 < $LOSS drop
  }
}
EOF
fi

# The outage's switch. On a preset without shaping the root queue exists
# only while the link is down, so that the unshaped link stays as it was.
# The packets of sshd's port wait in a class that lets nothing through (8
# bit/s, its first packet's worth spent on a datagram to the discard port),
# and are thrown away with its queue at the restore: TCP sent them, so it
# meets a silent loss as on a real link, retransmission backoff and all. A
# queue that refused them would tell the sender, whose kernel then ends the
# connection after 15 refusals, within seconds.
cat >"$DIR/link" <<EOF
#!/bin/sh
set -eu
case "\${1:-}" in
  down)
    shift
    if ! tc qdisc show dev lo | grep -q '^qdisc htb 1: root'; then
      tc qdisc add dev lo root handle 1: htb default 30
      tc class add dev lo parent 1: classid 1:30 htb rate 10gbit quantum 60000
      : >"$DIR/link.made-root"
    fi
    tc class add dev lo parent 1: classid 1:40 htb rate 8bit ceil 8bit quantum 1514 2>/dev/null
    tc qdisc add dev lo parent 1:40 handle 40: pfifo limit 100000
    tc filter add dev lo parent 1: protocol ip prio 1 u32 match ip dport 9 0xffff flowid 1:40
    python3 -c 'import socket; socket.socket(socket.AF_INET, socket.SOCK_DGRAM).sendto(bytes(1400), ("127.0.0.1", 9))'
    for port in $SSHD_PORT "\$@"; do
      for way in sport dport; do
        tc filter add dev lo parent 1: protocol ip prio 1 u32 match ip "\$way" "\$port" 0xffff flowid 1:40
      done
    done ;;
  up)
    tc filter del dev lo parent 1: prio 1
    if [ -e "$DIR/link.made-root" ]; then
      rm -f "$DIR/link.made-root"
      tc qdisc del dev lo root
    else
      tc qdisc del dev lo parent 1:40 handle 40:
      tc class del dev lo parent 1: classid 1:40
    fi ;;
  set)
    delay=\$("$HERE/far-link.sh" --set "\$2")
    if [ -e "$DIR/relay.pid" ]; then
      echo "\$delay 0" >"$DIR/relay.conf"
      kill -HUP \$(cat "$DIR/relay.pid")
    elif [ "\$delay" != 0 ]; then
      echo "far-link: no relay on the $PRESET link: no delay" >&2
    fi ;;
  queued)
    down=\$(ss -tnH state established '( sport = :$SSHD_PORT )' | awk '{ sum += \$2 } END { print sum + 0 }')
    up=\$(ss -tnH state established '( dport = :$SSHD_PORT )' | awk '{ sum += \$2 } END { print sum + 0 }')
    echo "\$down \$up" ;;
  *) echo "usage: \$0 down [PORT...] | up | set PRESET | queued" >&2; exit 2 ;;
esac
EOF
chmod +x "$DIR/link"

export FAR_SSH="ssh -F $DIR/ssh_config" FAR_PRESET="$PRESET" FAR_DIR="$DIR" FAR_LINK="$DIR/link"
export FAR_RATE="$RATE" FAR_DELAY="$DELAY"
if [ $# -eq 0 ]; then
  echo "far-link: $PRESET link up; '\$FAR_SSH -tt far' logs in through it; exit to take it down" >&2
  IN "${SHELL:-/bin/sh}"
  exit
fi
# In the background, so that a signal to this script (a test's time limit)
# takes everything down at once rather than after the command has ended.
exec 3<&0
IN "$@" <&3 3<&- &
wait $!
