#!/usr/bin/env bash
# Times quendle end to end for each output format on a generated trace of the
# demo's instruction mix (examples/example_gen.cpp); reports the best of
# RUNS runs (default 3) as a rate, with peak memory and output size.
#   bash bench/quendle_formats.sh <build-dir> [instructions]
set -euo pipefail

build=${1:?usage: quendle_formats.sh <build-dir> [instructions]}
count=${2:-2000000}
runs=${RUNS:-3}
root=$(cd "$(dirname "$0")/.." && pwd)
quendle="$build/bin/quendle"
gen="$build/bin/quendle_example_gen"
work="$build/bench-quendle"
mkdir -p "$work"
trace="$work/trace.bin"

"$gen" "$trace" "$count"
echo "quendle formats: $count instructions, trace $(stat -c %s "$trace") bytes, best of $runs runs"

# shellcheck source-path=SCRIPTDIR source=lib/timing.sh
. "$root/bench/lib/timing.sh"

printf '%-26s %9s %12s %9s %13s\n' options seconds "insn/s" "peak MiB" "output bytes"
for args in "-f swt --cc --uiid --ts" "-f raw" "-f pconly" "-f ingress"; do
  out="$work/out.${args// /_}"
  best="" peak=0
  for ((i = 0; i < runs; ++i)); do
    rm -f "$out"
    # shellcheck disable=SC2086
    read -r t p < <(timed_run "$work/time.txt" "$quendle" -c "$root/examples/soc.xml" -t "$trace" $args -o "$out")
    if [ -z "$best" ] || awk -v a="$t" -v b="$best" 'BEGIN { exit !(a < b) }'; then best=$t; fi
    [ "$p" -gt "$peak" ] && peak=$p
  done
  awk -v a="$args" -v t="$best" -v n="$count" -v p="$peak" -v o="$(stat -c %s "$out")" \
    'BEGIN { printf "%-26s %9.3f %12.0f %9.1f %13d\n", a, t, n / t, p / 1024, o }'
  rm -f "$out"
done
rm -f "$trace" "$work/time.txt" "$work/time.txt.err"
