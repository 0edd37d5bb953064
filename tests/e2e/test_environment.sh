#!/bin/sh
# No usable terminal: one clear line on stderr and status 1, never a garbled
# screen or a hang.
GAME=${1:?}
out=$(mktemp); err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

check() {  # DESCRIPTION EXPECTED-WORDS COMMAND...
  what=$1; words=$2; shift 2
  timeout 30 "$@" >"$out" 2>"$err" </dev/null
  status=$?
  [ "$status" = 1 ] || { echo "FAIL: $what: status $status"; exit 1; }
  [ "$(wc -l <"$err")" = 1 ] || { echo "FAIL: $what: stderr:"; cat "$err"; exit 1; }
  grep -q "$words" "$err" || { echo "FAIL: $what: unexpected message:"; cat "$err"; exit 1; }
  [ ! -s "$out" ] || { echo "FAIL: $what: wrote to stdout"; exit 1; }
}

check "stdin not a terminal" "not a terminal" "$GAME"
check "stdin not a terminal wins over TERM unset" "not a terminal" env -u TERM "$GAME"
# With a terminal on both ends (script gives one), TERM is what is checked.
if command -v script >/dev/null; then
  for term in "" nosuchterminal dumb; do
    TERM=$term timeout 30 script -qec "$GAME" /dev/null >"$out" 2>&1 </dev/null
    status=$?
    [ "$status" = 1 ] || { echo "FAIL: TERM='$term': status $status"; cat "$out"; exit 1; }
    grep -q "serifall:" "$out" || { echo "FAIL: TERM='$term': no message"; cat "$out"; exit 1; }
  done
fi
echo ok
