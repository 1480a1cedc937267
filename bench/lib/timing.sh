# shellcheck shell=bash
# Sourced by the timing scripts under bench/.
#   timed_run <scratch-file> <command> [args...]
# Runs the command once and prints "seconds peak-KiB". Peak memory from GNU
# time when present, else from the kernel's high-water mark, sampled while the
# program runs. The command's output is kept out of the table: its standard
# error is shown only when it fails, and the failure returned so that the
# caller's `set -e` stops on it.
timed_run() {
  local scratch=$1; shift
  local start end peak
  start=$(date +%s.%N)
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%M" -o "$scratch" "$@" > /dev/null 2> "$scratch.err" || { timed_run_failed "$scratch"; return; }
    peak=$(tail -n 1 "$scratch")
  else
    "$@" > /dev/null 2> "$scratch.err" &
    local pid=$! v
    peak=0
    while kill -0 "$pid" 2> /dev/null; do
      v=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2> /dev/null || true)
      [ -n "$v" ] && peak=$v
      sleep 0.01
    done
    wait "$pid" || { timed_run_failed "$scratch"; return; }
  fi
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v p="$peak" 'BEGIN { printf "%.3f %d\n", e - s, p }'
}

# Shows a failed run's standard error; keeps its exit status.
timed_run_failed() {
  local rc=$?
  cat "$1.err" >&2
  return "$rc"
}
