#!/usr/bin/env bash
# Wall time of one whole quendle_dump process (start-up, table build, one word).
# Usage: bench/quendle_dump.sh <build-dir> [runs]
# Uses hyperfine when installed (with /bin/true as the baseline in the same
# run), otherwise a loop timed with date.
set -euo pipefail

build_dir=${1:?usage: $0 <build-dir> [runs]}
runs=${2:-300}
prog="$build_dir/bin/quendle_dump"
[ -x "$prog" ] || { echo "$0: no program at $prog" >&2; exit 1; }

words=(13 4501 00a58533)

if command -v hyperfine > /dev/null; then
  # One run with /bin/true, the cost of starting any process on this machine,
  # so that the summary states each word's overhead relative to it.
  cmds=(/bin/true)
  for w in "${words[@]}"; do cmds+=("$prog -c $w"); done
  hyperfine -N --warmup 20 --runs "$runs" --output=pipe "${cmds[@]}"
else
  for w in "${words[@]}"; do
    "$prog" -c "$w" > /dev/null   # warm the page cache
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do "$prog" -c "$w" > /dev/null; done
    end=$(date +%s%N)
    awk -v ns=$((end - start)) -v n="$runs" -v w="$w" \
      'BEGIN { printf "quendle_dump -c %s: %.3f ms per process (mean of %d)\n", w, ns / n / 1e6, n }'
  done
fi
