#!/bin/sh
# build/setup.log outlives the run that wrote it: a second run appends
# under its own header, and a log past a megabyte moves to setup.log.1
# instead of growing without end. `./serifall.sh deps play` with nothing
# missing writes only the header, so this needs no package manager.
set -eu
TOP=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=build-logtest-$$
LOG=$TOP/$BUILD/setup.log
trap 'rm -rf "$TOP/$BUILD"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
run() { BUILD=$BUILD "$TOP/serifall.sh" deps play >/dev/null 2>&1 || fail "./serifall.sh deps play failed"; }

run
echo "the first run's compiler output" >>"$LOG"
run
[ "$(grep -c '^=== .*: ./serifall.sh deps play$' "$LOG")" -eq 2 ] || fail "not one header per run: $(cat "$LOG")"
grep -q "the first run's compiler output" "$LOG" || fail "the second run emptied the log"

head -c 1100000 /dev/zero | tr '\0' x >>"$LOG"
run
[ -f "$LOG.1" ] || fail "a log past a megabyte was not moved to setup.log.1"
[ "$(stat -c %s "$LOG")" -lt 1000 ] || fail "the new log did not start afresh"
grep -q "the first run's compiler output" "$LOG.1" || fail "setup.log.1 lost the old log"
echo "setup.log kept and rotated"
