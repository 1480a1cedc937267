#!/usr/bin/env bash
# Compares two builds (a baseline and a candidate) on the programs that read
# traces: quendle -f swt and -f ingress into a file, and quendle_diff on two
# equal copies of a generated trace of the demo's instruction mix. Runs each
# command RUNS times (default 15) with each build, pinned to CPUS (default
# 6,7), the two builds in turn; reports per build the median, min, max,
# max/min and the quartiles' ratio q3/q1 of the wall times, the peak memory,
# and the candidate/base ratio of the medians; then, per command, the ratio
# candidate/base of the two runs of each round (run one after the other, so
# that what the machine does besides weighs on both alike): its min,
# quartiles, median and max.
#   bash bench/reader_compare.sh <base-build-dir> <candidate-build-dir> [instructions]
set -euo pipefail

usage="usage: reader_compare.sh <base-build-dir> <candidate-build-dir> [instructions]"
base=${1:?$usage}
cand=${2:?$usage}
count=${3:-2000000}
runs=${RUNS:-15}
cpus=${CPUS:-6,7}
root=$(cd "$(dirname "$0")/.." && pwd)
config="$root/examples/soc.xml"
work="$cand/bench-compare"
mkdir -p "$work"
trace="$work/trace.bin"
copy="$work/trace-copy.bin"

# shellcheck source-path=SCRIPTDIR source=lib/timing.sh
. "$root/bench/lib/timing.sh"

for b in "$base" "$cand"; do
  for p in quendle quendle_diff; do
    [ -x "$b/bin/$p" ] || { echo "reader_compare.sh: no program at $b/bin/$p" >&2; exit 1; }
  done
done

"$cand/bin/quendle_example_gen" "$trace" "$count"
cp "$trace" "$copy"

# The source commit a build directory was configured from, for the record.
source_of() {
  local src
  src=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$1/CMakeCache.txt" 2> /dev/null || true)
  echo "${src:-?} at $(git -C "${src:-.}" rev-parse --short HEAD 2> /dev/null || echo '?')"
}

echo "reader compare: $count instructions, trace $(stat -c %s "$trace") bytes, $runs runs each on CPUs $cpus"
echo "base      $base ($(source_of "$base"))"
echo "candidate $cand ($(source_of "$cand"))"

# One timed run of a named command with a build's programs; prints "seconds peak-KiB".
run_command() {
  local bin=$1/bin name=$2
  case $name in
    swt | ingress)
      rm -f "$work/out.$name"
      set -- "$bin/quendle" -c "$config" -t "$trace" -f "$name" -o "$work/out.$name" ;;
    diff) set -- "$bin/quendle_diff" -c "$config" --tr0 "$trace" --tr1 "$copy" ;;
  esac
  timed_run "$work/time.txt" taskset -c "$cpus" "$@"
}

commands=(swt ingress diff)
for c in "${commands[@]}"; do : > "$work/$c.base"; : > "$work/$c.candidate"; done
# The build that runs second in a pair pays a little for the first one's
# traces in the caches: the order changes every round, so neither always
# does.
for ((i = 0; i < runs; ++i)); do
  for c in "${commands[@]}"; do
    if ((i % 2 == 0)); then
      run_command "$base" "$c" >> "$work/$c.base"
      run_command "$cand" "$c" >> "$work/$c.candidate"
    else
      run_command "$cand" "$c" >> "$work/$c.candidate"
      run_command "$base" "$c" >> "$work/$c.base"
    fi
  done
done

# "median min max q1 q3 peak-KiB" of a file of "seconds peak-KiB" lines;
# q1 and q3 are the quartiles (the runs a quarter from either end).
summary() {
  sort -n "$1" | awk '{ t[NR] = $1; if ($2 > p) p = $2 }
    END { m = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
          q = int((NR + 3) / 4)
          printf "%.4f %.4f %.4f %.4f %.4f %d\n", m, t[1], t[NR], t[q], t[NR + 1 - q], p }'
}

printf '%-8s %-10s %9s %7s %7s %8s %8s %9s %10s\n' command build "median s" "min s" "max s" max/min q3/q1 "peak MiB" cand/base
for c in "${commands[@]}"; do
  read -r base_median _ < <(summary "$work/$c.base")
  for role in base candidate; do
    read -r m lo hi q1 q3 p < <(summary "$work/$c.$role")
    ratio=""
    [ "$role" = candidate ] && ratio=$(awk -v m="$m" -v b="$base_median" 'BEGIN { printf "%.3f", m / b }')
    awk -v c="$c" -v r="$role" -v m="$m" -v lo="$lo" -v hi="$hi" -v q1="$q1" -v q3="$q3" -v p="$p" -v q="$ratio" \
      'BEGIN { printf "%-8s %-10s %9.4f %7.4f %7.4f %8.3f %8.3f %9.1f %10s\n", c, r, m, lo, hi, hi / lo, q3 / q1, p / 1024, q }'
  done
done

echo "candidate/base of the two runs of each round"
printf '%-8s %7s %7s %7s %7s %7s\n' command min q1 median q3 max
for c in "${commands[@]}"; do
  paste -d ' ' "$work/$c.candidate" "$work/$c.base" | awk '{ print $1 / $3 }' | sort -n |
    awk -v c="$c" '{ r[NR] = $1 }
      END { m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
            q = int((NR + 3) / 4)
            printf "%-8s %7.3f %7.3f %7.3f %7.3f %7.3f\n", c, r[1], r[q], m, r[NR + 1 - q], r[NR] }'
done
rm -rf "$work"
