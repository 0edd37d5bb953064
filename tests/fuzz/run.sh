#!/bin/sh
# Runs each libFuzzer target for a while from the seed corpus and prints its
# figures. Usage: run.sh BUILD_DIR SECONDS (FUZZ_TARGETS picks targets).
# Inputs that found something new go to BUILD_DIR/fuzz-corpus, crashes to
# BUILD_DIR/fuzz-artifacts.
set -u
build=${1:?build directory}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
status=0
mkdir -p "$build/fuzz-artifacts"
for target in ${FUZZ_TARGETS:-term_input numtext}; do
  program="$build/fuzz_$target"
  corpus="$build/fuzz-corpus/$target"
  log="$build/fuzz-$target.log"
  mkdir -p "$corpus"
  dict=""
  [ -f "$here/$target.dict" ] && dict="-dict=$here/$target.dict"
  # Long inputs let a flood of reports arrive in one read.
  "$program" -max_total_time="$seconds" -print_final_stats=1 -timeout=20 -max_len=8192 \
    -artifact_prefix="$build/fuzz-artifacts/$target-" $dict "$corpus" "$here/corpus/$target" >"$log" 2>&1
  rc=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  units=$(ls "$corpus" | wc -l)
  if [ "$rc" -eq 0 ]; then
    echo "fuzz_$target: ${runs:-?} runs in ${seconds} s, ${rate:-?} execs/s, corpus $units inputs: ok"
  else
    status=1
    echo "fuzz_$target: FAILED after ${runs:-?} runs (${rate:-?} execs/s); log $log"
    grep -m 3 -E 'invariant|number text|runtime error|ERROR: (Address|libFuzzer)|^artifact_prefix|Test unit written' "$log" | sed 's/^/  /'
  fi
done
exit $status
