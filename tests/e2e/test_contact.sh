#!/bin/sh
# Where the game meets the player's machine: control keys read raw, every
# terminating signal, quit signals during start-up, a terminal lost without
# a hangup, and terminal types with no terminfo entry.
. "$(dirname "$0")/lib.sh"

case $GAME in /*) ;; *) GAME=$PWD/$GAME ;; esac

# No core file may appear where the game ran (Ctrl-\ is a way to quit).
WORK=$(mktemp -d)
trap 'cleanup; rm -rf "$WORK"' EXIT
core_game() { echo "cd $WORK; ulimit -c unlimited; $1"; }

start_game "$(core_game "$GAME")"
T send-keys -t g 'C-\'
expect_exit 131 'Ctrl-\'
[ -z "$(ls "$WORK")" ] || fail "Ctrl-\\ left a core file: $(ls "$WORK")"

# Ctrl-S is a byte like any other: the game goes on and Q still ends it.
start_game "$GAME"
T send-keys -t g C-s
T send-keys -t g q
expect_exit 0 "Ctrl-S, then q"

# Signals sent with kill whose default action ends the process (the unit
# tests go through all of them). The intro has every mode on already.
for sig in QUIT:3 USR1:10 ALRM:14 TRAP:5 SYS:31 XCPU:24; do
  GAME_NAME=$(basename "$GAME")
  start_pane "$(game_command "ulimit -c 0; $GAME")"
  wait_for "screen_has \"Studio 'Vellmoor'\" && [ \"\$(flag mouse_any_flag)\" = 1 ]" "the intro with the mouse on"
  kill -s "${sig%:*}" "$(game_pid)"
  expect_exit "$((128 + ${sig#*:}))" "SIG${sig%:*}"
done

# A type with no entry anywhere runs on its fallback.
start_game "TERM=serifall-nowhere-256color $GAME"
T send-keys -t g q
expect_exit 0 "q on a fallback entry"

# The refusal line shows what TERM holds, escape bytes escaped.
start_pane "$(game_command "TERM=\$(printf 'bad\\033[31m') $GAME")"
wait_for has_exited "the refusal"
screen_has "unknown terminal type 'bad\\x1b[31m'" || fail "refusal line not escaped"
[ "$(exit_status)" = 1 ] || fail "refusal: exit status $(exit_status)"
T kill-server

# Start-up on a terminal of our own: a pseudo-terminal that is not the
# game's controlling terminal (so closing it sends no SIGHUP) and that
# answers the probe only when told to.
cat > "$WORK/pty.pl" <<'PERL'
use strict;
use warnings;
use Fcntl;
use POSIX qw(setsid);
use Time::HiRes qw(time sleep);

my ($game, $answer, $when, $action) = @ARGV;  # answer: yes|no; when: probe|intro|frame; action: signal name|close
sysopen(my $m, "/dev/ptmx", O_RDWR | O_NOCTTY) or die "ptmx: $!";
my $unlock = pack("i", 0);
ioctl($m, 0x40045431, $unlock) or die "unlock: $!";  # TIOCSPTLCK
my $number = pack("i", 0);
ioctl($m, 0x80045430, $number) or die "ptn: $!";  # TIOCGPTN
my $size = pack("S4", 25, 80, 0, 0);
ioctl($m, 0x5414, $size);  # TIOCSWINSZ
my $slave = "/dev/pts/" . unpack("i", $number);
my $pid = fork() // die "fork: $!";
if ($pid == 0) {
  setsid();
  sysopen(my $s, $slave, O_RDWR | O_NOCTTY) or die "slave: $!";
  POSIX::dup2(fileno($s), $_) for 0 .. 2;
  $ENV{TERM} = "xterm-256color";
  $ENV{SERIFALL_INPUT} = "terminal";
  exec($game) or die "exec: $!";
}
my $out = "";
my ($answered, $keyed, $acted, $t0) = (0, 0, "", 0);
my $deadline = time + 8;
while (time < $deadline) {
  if ($acted ne "close") {
    my $bits = "";
    vec($bits, fileno($m), 1) = 1;
    if (select(my $r = $bits, undef, undef, 0.01) > 0) {
      my $n = sysread($m, my $chunk, 65536);
      $out .= $chunk if $n;
    }
  } else {
    sleep(0.001);
  }
  # A terminal that answers answers every request, the pictures' too.
  while ($answer eq "yes" && (my $at = index($out, "\e[c", $answered)) >= 0) {
    syswrite($m, "\e[?1;2c");
    $answered = $at + 3;
  }
  my $ready = ($when eq "probe" && index($out, "\e[c") >= 0)
      || ($when eq "intro" && index($out, "Vellmoor") >= 0)
      || ($when eq "frame" && index($out, "Vellmoor") >= 0 && length($out) > 20000);
  if ($when eq "frame" && !$keyed && index($out, "Vellmoor") >= 0) {
    syswrite($m, "x");  # into the game, which then draws frames
    $keyed = 1;
  }
  if (!$acted && $ready) {
    sleep(0.05);  # early in the probe's second, or into the wait
    $t0 = time;
    if ($action eq "close") { close($m); $acted = "close"; }
    else { kill($action, $pid); $acted = "signal"; }
  }
  if ($acted && waitpid($pid, POSIX::WNOHANG()) == $pid) {
    my $ms = int((time - $t0) * 1000);
    # What the game wrote just before it ended may still be unread.
    if ($acted ne "close") {
      my $bits = "";
      vec($bits, fileno($m), 1) = 1;
      while (select(my $r = $bits, undef, undef, 0.2) > 0) {
        my $n = sysread($m, my $chunk, 65536);
        last unless $n;
        $out .= $chunk;
      }
    }
    my $how = ($? & 127) ? "signal " . ($? & 127) : "status " . ($? >> 8);
    my $restored = ($acted eq "close" || index(substr($out, -400), "\e[?1049l") >= 0) ? "restored" : "not-restored";
    print "$how $ms $restored\n";
    exit 0;
  }
}
kill("KILL", $pid);
waitpid($pid, 0);
print "timeout\n";
PERL

# Quit signals during the probe of a silent terminal and during the intro's
# wait end the game at once: within 0.1 s idle; 0.9 s allowed on a loaded
# machine, still short of the rest of the probe's second that a game
# waiting it out would take.
for case in no:probe:TERM:15 no:probe:INT:2 no:probe:HUP:1 yes:intro:TERM:15 yes:intro:INT:2 yes:intro:HUP:1; do
  IFS=: read -r answer when sig num <<CASE
$case
CASE
  result=$(perl "$WORK/pty.pl" "$GAME" "$answer" "$when" "$sig") || fail "pty harness"
  echo "SIG$sig during the $when: $result"
  set -- $result
  [ "$1 $2" = "signal $num" ] || fail "SIG$sig during the $when: $result"
  [ "$3" -lt 900 ] || fail "SIG$sig during the $when took $3 ms"
  [ "$4" = restored ] || fail "SIG$sig during the $when: terminal not restored"
done

# The terminal lost without a hangup: status 3, not the 0 kept for Q.
for when in intro frame; do
  result=$(perl "$WORK/pty.pl" "$GAME" yes "$when" close) || fail "pty harness"
  echo "terminal closed during the $when: $result"
  set -- $result
  [ "$1 $2" = "status 3" ] || fail "terminal closed during the $when: $result"
done
echo ok
