#!/usr/bin/env bash
# The demo: the mirbax tool on simulated boards of several families.  Steps
# whose library family is not built yet say so and the demo goes on.
set -uo pipefail
build=${1:-build}
tool="$build/tools/mirbax"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

step() {
  echo
  echo "\$ mirbax $*"
  "$tool" "$@"
}

step --sim 8001 8040:1 8147 8073 8180 8020:2 list
step --sim 8001 info
step --sim 8001 dio read
step --sim 8001 counter freq 0 1000
step --sim 8040 scan --channels 0-3
step --sim 8040 acquire --rate 20000 --duration 1 --check-pattern --output "$out/samples.csv" --plot "$out/plot.png"
[ -s "$out/samples.csv" ] && { echo "(first lines of the CSV)"; head -3 "$out/samples.csv"; }
[ -s "$out/plot.png" ] && { cp "$out/plot.png" "$build/demo-plot.png"; echo "(plot kept in $build/demo-plot.png)"; }
step --sim 8073 dac set 0 32768
echo
echo "Every command: mirbax --help; each one: mirbax COMMAND --help (docs/cli.md)."
