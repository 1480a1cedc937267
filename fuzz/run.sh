#!/usr/bin/env bash
# Fuzzes each target for the given number of seconds, one after the other,
# and stops at the first finding with the path of its reproducer.
#
#   fuzz/run.sh <fuzz build directory> <seconds> [target...]
#
# New inputs go to <build>/corpus/<target>, findings to
# <build>/findings/<target>, libFuzzer's output to <build>/logs/<target>.log.
# The committed seeds in fuzz/corpus/<target> are read, never written.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$1
seconds=$2
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
for t in "${targets[@]}"; do
  program=$build/fuzz/fuzz_$t
  [ -x "$program" ] || { echo "no fuzz program $program" >&2; exit 2; }
  mkdir -p "$build/corpus/$t" "$build/findings/$t" "$build/logs"
  log=$build/logs/$t.log
  echo "=== $t: $seconds s"
  # A run of more than 10 s on one input is a hang; leaks are findings too.
  # The targets' standard output (the libraries' notes) is closed.
  "$program" -max_total_time="$seconds" -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t/" "$build/corpus/$t" "fuzz/corpus/$t" >"$log" 2>&1
  status=$?
  grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1
  grep -E '^stat::number_of_executed_units' "$log"
  if [ $status -ne 0 ]; then
    reproducer=$(sed -n 's/.*Test unit written to \(.*\)$/\1/p' "$log" | tail -n 1)
    grep -E 'ERROR|SUMMARY|fuzz target check failed|uncaught|==[0-9]+==' "$log" | head -n 5
    echo "FINDING in $t (status $status), log $log"
    echo "reproducer: ${reproducer:-none written}"
    echo "replay: build/fuzz/replay_$t ${reproducer:-<file>}"
    exit 1
  fi
done
