#!/bin/sh
# Runs every benchmark of a build and writes the figures, each next to its
# reference from the same run, into docs/performance.md (between the
# "results" markers) and BUILD_DIR/benchmark-results.md; the soak's figures
# also into docs/reliability.md (between the "soak" markers).
#   [MIRBAX_SOAK_SECONDS=600] scripts/run-benchmarks.sh BUILD_DIR
set -eu
build=${1:?usage: run-benchmarks.sh BUILD_DIR}
here=$(cd "$(dirname "$0")/.." && pwd)
out="$build/benchmark-results"
mkdir -p "$out"
found=0
for bench in "$build"/bench/bench_*; do
  [ -x "$bench" ] || continue
  found=1
  name=$(basename "$bench")
  echo "== $name"
  "$bench" --benchmark_min_time=0.5 --benchmark_out="$out/$name.json" --benchmark_out_format=json
done
[ "$found" = 1 ] || { echo "no benchmarks in $build/bench (configure with -DMIRBAX_BUILD_BENCH=ON)"; exit 1; }
python3 "$here/scripts/benchmark_report.py" "$out" "$build/benchmark-results.md" \
  "$here/docs/performance.md" "$here/docs/reliability.md"
echo "results: $build/benchmark-results.md and docs/performance.md"
