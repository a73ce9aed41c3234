#!/bin/sh
# Runs every fuzz target of a build for a bounded time, from its seed corpus.
#   scripts/run-fuzzers.sh BUILD_DIR SECONDS
# The seeds in fuzz/corpus/<target>/ are read, never written: what the
# fuzzer finds goes to BUILD_DIR/fuzz-work/<target>/.  A crash, a leak or a
# time-out stops the run with the input that caused it saved there.
set -eu
build=${1:?usage: run-fuzzers.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run-fuzzers.sh BUILD_DIR SECONDS}
here=$(cd "$(dirname "$0")/.." && pwd)
export QT_QPA_PLATFORM=offscreen
status=0
found=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target" | sed 's/^fuzz_//')
  seeds="$here/fuzz/corpus/$name"
  work="$build/fuzz-work/$name"
  mkdir -p "$work"
  # A calibration file holds 65536 16-bit entries: let inputs grow past one table.
  max_len=4096
  [ "$name" = adc_calibration ] && max_len=270000
  [ "$name" = dac_calibration ] && max_len=65536
  echo "== $name: $seconds s"
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len="$max_len" \
       -print_final_stats=1 -artifact_prefix="$work/" "$work" "$seeds" > "$work/log.txt" 2>&1; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log.txt" | grep -o '[0-9]*$' || echo '?')
    echo "   $runs executions, no crash"
  else
    echo "   FAILED: see $work/log.txt"
    tail -n 30 "$work/log.txt"
    status=1
  fi
done
[ "$found" = 1 ] || { echo "no fuzz targets in $build/fuzz (configure with CXX=clang++ -DMIRBAX_BUILD_FUZZ=ON)"; exit 1; }
exit $status
