#!/usr/bin/env bash
# The demo: the mirbax tool on simulated boards of several families.
set -euo pipefail
build=${1:-build}
tool="$build/tools/mirbax"
boards="8001 8040:1 8147 8073 8180 8020:2"
echo "\$ mirbax list --sim $boards"
"$tool" list --sim $boards
