#!/bin/sh
# The README's two commands and the Debian package, tried as a new player
# would, on fresh minimal Debian roots (debootstrap --variant=minbase) of
# one suite, each step timed. Run as root from the tree:
#
#   scripts/minimal-root.sh [bookworm|trixie]    (default: this machine's)
#
# Three roots: the quick start in the first; `./serifall.sh deb` in the
# second, which has only build-essential and the Build-Depends when
# dpkg-buildpackage runs; the package it made installed and started in the
# third. The package is built inside the suite it is tried on: one built
# on a newer Debian needs a newer libc than an older root has.
#
# The downloaded base system is kept in $SERIFALL_ROOT_CACHE (default
# /var/cache/serifall-roots) so that reruns download less; every root is
# still installed afresh from it. With SERIFALL_APT_CACHE=folder the roots
# share apt's downloaded packages there too (faster reruns, but then the
# times are no longer a new player's). Results go to the terminal and to
# $SERIFALL_ROOT_CACHE/last-run-SUITE.txt.
set -eu

[ "$(id -u)" -eq 0 ] || { echo "minimal-root: run as root (it uses debootstrap and chroot)" >&2; exit 1; }
cd "$(dirname "$0")/.."
CACHE=${SERIFALL_ROOT_CACHE:-/var/cache/serifall-roots}
APT_CACHE=${SERIFALL_APT_CACHE:-}
SUITE=${1:-$(. /etc/os-release && echo "${VERSION_CODENAME:-}")}
case $SUITE in
  bookworm | trixie) ;;
  *) echo "minimal-root: usage: $0 [bookworm|trixie] ('$SUITE' is neither; with no argument, this machine's release is taken)" >&2; exit 2 ;;
esac
# The roots come from the archive this machine installs from, so they see
# what it sees. apt reads its own sources (sources.list, sources.list.d's
# *.list and deb822 *.sources, with their options, disabled entries and
# APT_CONFIG), so apt is asked: the first binary entry of a release itself,
# not of its -updates or -security.
command -v apt-get >/dev/null || { echo "minimal-root: no apt-get on this machine to read its Debian mirror from" >&2; exit 1; }
# shellcheck disable=SC2016 # the fields are apt's, not the shell's
MIRROR=$(apt-get indextargets --no-release-info --format '$(TARGET_OF) $(RELEASE) $(REPO_URI) $(SOURCESENTRY)' \
  'Identifier: Packages' 2>/dev/null | awk '$1 == "deb" && $2 !~ /[-\/]/ && $3 ~ /^(https?|file):/ { print $3, $4; exit }')
[ -n "$MIRROR" ] || {
  echo "minimal-root: no Debian archive in this machine's apt sources (/etc/apt/sources.list, /etc/apt/sources.list.d/*.list or *.sources); add one as for apt-get update" >&2
  exit 1
}
MIRROR_ENTRY=${MIRROR#* }
MIRROR=${MIRROR%% *}
TARBALL=$CACHE/$SUITE-minbase.tgz
INTRO="Studio 'Vellmoor' przedstawia"
WORK=$(mktemp -d /var/tmp/serifall-roots.XXXXXX)
SOCKET=serifall-root-$$-0
PANES=0
RESULT=$WORK/result.txt
mkdir -p "$CACHE"

# The tmux server must see its children exit, whatever signal mask we
# were started with.
T() {
  perl -MPOSIX -e 'sigprocmask(SIG_UNBLOCK, POSIX::SigSet->new(SIGCHLD)); exec @ARGV or die' \
    tmux -L "$SOCKET" -f /dev/null "$@"
}
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { d = b - a; printf (d < 10 ? "%.1f" : "%.0f"), d }'; }
note() { echo "minimal-root: $*"; echo "$*" >>"$RESULT"; }

# Mounts are undone and processes left in a root ended (by their ids)
# before anything is deleted; a root is removed only once nothing of the
# host is mounted in it any more.
ROOTS=""
unmount_root() {
  r=$1
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    case $(readlink "/proc/$pid/root" 2>/dev/null) in
      "$r" | "$r"/*) kill -9 "$pid" 2>/dev/null || true ;;
    esac
  done
  for m in var/cache/apt/archives dev/pts dev sys proc; do
    if mountpoint -q "$r/$m" 2>/dev/null; then
      umount "$r/$m" 2>/dev/null || umount -l "$r/$m"
    fi
  done
}
cleanup() {
  T kill-server 2>/dev/null || true
  for r in $ROOTS; do unmount_root "$r"; done
  if grep -q " $WORK/" /proc/mounts; then
    echo "minimal-root: something is still mounted under $WORK; left it in place" >&2
  else
    [ -f "$RESULT" ] && cp "$RESULT" "$CACHE/last-run-$SUITE.txt"
    rm -rf "$WORK"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

new_root() {
  r=$WORK/$1
  ROOTS="$ROOTS $r"
  if [ ! -s "$TARBALL" ]; then
    echo "minimal-root: downloading the $SUITE base system once into $TARBALL"
    debootstrap --variant=minbase --make-tarball="$TARBALL.part" "$SUITE" "$WORK/tarball" "$MIRROR" \
      >"$WORK/tarball.log" 2>&1 || { tail -n 20 "$WORK/tarball.log" >&2; exit 1; }
    mv "$TARBALL.part" "$TARBALL"
    rm -rf "$WORK/tarball"
  fi
  t0=$(now)
  debootstrap --variant=minbase --unpack-tarball="$TARBALL" "$SUITE" "$r" "$MIRROR" >"$WORK/$1.log" 2>&1 ||
    { tail -n 20 "$WORK/$1.log" >&2; exit 1; }
  cp /etc/resolv.conf "$r/etc/resolv.conf"
  mount -t proc proc "$r/proc"
  mount -t sysfs sysfs "$r/sys"
  mount --bind /dev "$r/dev"
  mount --bind /dev/pts "$r/dev/pts"
  if [ -n "$APT_CACHE" ]; then
    mkdir -p "$APT_CACHE/$SUITE"
    mount --bind "$APT_CACHE/$SUITE" "$r/var/cache/apt/archives"
  fi
  chroot "$r" useradd -m -s /bin/bash player
  note "$1: fresh minimal $SUITE root in $(since "$t0") s ($(du -smx "$r" | cut -f1) MB)"
}

# in_pane ROOT COMMAND: a new window of 80 x 25 running COMMAND in ROOT,
# everything it prints kept in $WORK/pane.log.
in_pane() {
  T kill-server 2>/dev/null || true
  # A new server for each window: the old one may still be shutting down.
  PANES=$((PANES + 1))
  SOCKET=serifall-root-$$-$PANES
  : >"$WORK/pane.log"
  T new-session -d -s r -x 80 -y 25 \
    "chroot '$1' env -i TERM=tmux-256color HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin sh -c \"$2\"; echo EXIT=\$?; sleep 3600"
  T pipe-pane -t r 'cat >>'"$WORK/pane.log"
}
# wait_screen TEXT SECONDS: polls the window and the pane log.
wait_screen() {
  deadline=$(($(date +%s) + $2))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    T capture-pane -p -t r 2>/dev/null | grep -qF -- "$1" && return 0
    grep -aqF -- "$1" "$WORK/pane.log" 2>/dev/null && return 0
    sleep 0.2
  done
  return 1
}
# The pane's output as plain lines, without escapes and progress returns.
transcript() { sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g; s/\r/\n/g' "$WORK/pane.log" | grep -a 'serifall:\|apt-get update &&\|then run\|tests passed\|Total Test\|tests failed\|EXIT=' |
  awk '/ compiled\)$/ { held = $0; next } held != "" { print held; held = "" } !seen[$0]++; END { if (held != "") print held }'; }
fail() {
  note "FAILED: $*"
  transcript >&2
  T capture-pane -p -t r >&2 2>/dev/null || true
  exit 1
}

run_start=$(now)
note "minimal-root run of $(date -u '+%Y-%m-%d %H:%M UTC'), Debian $SUITE, on $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), mirror: this machine's ($MIRROR_ENTRY)${APT_CACHE:+, apt cache $APT_CACHE}"

# copy_tree ROOT: the tree as a clone holds it (tracked and new files, no
# build folders) into the player's home.
copy_tree() {
  dest=$WORK/$1/home/player/serifall
  mkdir -p "$dest"
  git ls-files -z --cached --others --exclude-standard | xargs -0 tar -cf - --ignore-failed-read 2>/dev/null |
    tar -xf - -C "$dest"
  chroot "$WORK/$1" chown -R player:player /home/player/serifall
}

new_root source
copy_tree source
dest=$WORK/source/home/player/serifall

# A player without root rights and without sudo is told what to run as root.
in_pane "$WORK/source" "cd /home/player/serifall && setpriv --reuid=player --regid=player --clear-groups ./serifall.sh play"
wait_screen "EXIT=" 60 || fail "the unprivileged run did not end"
transcript | grep -q 'as root, run:' || fail "no command for root"
note "as a user without sudo: $(transcript | grep -c serifall:) lines, ending with the command to run as root"
transcript | sed 's/^/  | /' >>"$RESULT"

t0=$(now)
in_pane "$WORK/source" "cd /home/player/serifall && ./serifall.sh play"
wait_screen "$INTRO" 3600 || fail "no intro after ./serifall.sh play"
note "./serifall.sh play: intro after $(since "$t0") s"
transcript | sed 's/^/  | /' >>"$RESULT"
T send-keys -t r x
sleep 1
T send-keys -t r q
wait_screen "EXIT=0" 20 || fail "the game did not end with Q"

t0=$(now)
in_pane "$WORK/source" "cd /home/player/serifall && ./serifall.sh test"
wait_screen "EXIT=" 5400 || fail "./serifall.sh test did not end"
summary=$(transcript | grep -a 'tests passed\|tests failed' | tail -n 1)
note "./serifall.sh test: summary after $(since "$t0") s: $summary"
transcript | sed 's/^/  | /' >>"$RESULT"
sed 's/\r//g' "$WORK/pane.log" | grep -a 'Not Run\|\*\*\*Skipped\|\*\*\*Failed' | sed 's/^/  | /' >>"$RESULT" || true
# A failed test is reported, with CTest's output kept beside the results,
# and the package steps still run and are timed.
TESTS_FAILED=""
if ! transcript | grep -q 'EXIT=0'; then
  TESTS_FAILED=1
  sed 's/\r//g' "$WORK/pane.log" >"$CACHE/last-run-$SUITE-tests.log"
  note "FAILED: some tests; CTest's output is in $CACHE/last-run-$SUITE-tests.log"
fi
t0=$(now)
chroot "$WORK/source" sh -c 'cd /home/player/serifall && ./serifall.sh build' </dev/null >/dev/null 2>&1 ||
  fail "./serifall.sh build on the built tree"
note "./serifall.sh build on the built tree (what play does before it starts the game): $(since "$t0") s"
t0=$(now)
in_pane "$WORK/source" "cd /home/player/serifall && ./serifall.sh play"
wait_screen "$INTRO" 60 || fail "no intro on the built tree"
note "./serifall.sh play again on the built tree: intro after $(since "$t0") s"
T kill-server
[ -z "$(find "$dest" -user root -print -quit)" ] || fail "root-owned files in the player's tree"

# sudo installed, but the player may not use it: told so, with the command
# for root, and never promised a password prompt.
chroot "$WORK/source" sh -c 'DEBIAN_FRONTEND=noninteractive apt-get install -y -q sudo' >/dev/null 2>&1 ||
  fail "apt-get install sudo"
in_pane "$WORK/source" "cd /home/player/serifall && setpriv --reuid=player --regid=player --clear-groups ./serifall.sh deps play hello"
wait_screen "EXIT=" 60 || fail "the run without sudo rights did not end"
transcript | grep -q 'sudo does not let you' || fail "a player sudo refuses is not told so"
! transcript | grep -q 'asks for your password' || fail "a player sudo refuses is promised a password prompt"
note "as a user sudo refuses: told so, with the command to run as root"
T kill-server
unmount_root "$WORK/source"

# timed_step ROOT COMMAND LIMIT WHAT: runs COMMAND in the tree within LIMIT
# seconds; it must succeed, and its time and output go to the result.
timed_step() {
  t0=$(now)
  in_pane "$WORK/$1" "cd /home/player/serifall && $2"
  wait_screen "EXIT=" "$3" || fail "$2 did not end"
  transcript | grep -q 'EXIT=0' || fail "$2 failed"
  note "$2 ($4): $(since "$t0") s"
  transcript | sed 's/^/  | /' >>"$RESULT"
}

# The package from its source, in a root with only build-essential and the
# Build-Depends: those installed first, then dpkg-buildpackage alone timed.
new_root build
copy_tree build
timed_step build "./serifall.sh deps deb" 1800 "build-essential and the Build-Depends"
timed_step build "./serifall.sh deb" 3600 "dpkg-buildpackage -us -uc, unit tests included"
deb=$(ls "$WORK"/build/home/player/serifall/serifall_*.deb)
T kill-server
unmount_root "$WORK/build"

new_root package
cp "$deb" "$WORK/package/tmp/"
t0=$(now)
in_pane "$WORK/package" "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -q /tmp/$(basename "$deb") >/tmp/apt.log 2>&1 && echo installed; tail -n 3 /tmp/apt.log"
wait_screen "EXIT=" 1800 || fail "apt-get install did not end"
grep -aq installed "$WORK/pane.log" || fail "apt-get install failed: $(tail -n 3 "$WORK/package/tmp/apt.log")"
note "apt-get install ./$(basename "$deb"): $(since "$t0") s, $(grep -c '^Setting up' "$WORK/package/tmp/apt.log") packages set up"
t0=$(now)
in_pane "$WORK/package" "su -l player -c serifall"
wait_screen "$INTRO" 60 || fail "no intro from the installed serifall"
note "serifall from the package, as a user: intro after $(since "$t0") s"
T send-keys -t r x
sleep 1
T send-keys -t r q
wait_screen "EXIT=0" 20 || fail "the installed game did not end with Q"
note "whole run: $(since "$run_start") s"
[ -z "$TESTS_FAILED" ] || exit 1
