#!/usr/bin/env sh
# Runs a Windows program of the 64-bit build under wine64, quietly, in a wine
# prefix of its own so no user's wine set-up is touched.  The prefix is made
# once, under a lock, so suites started side by side do not race to make it.
set -e
wine=/usr/lib/wine/wine64
prefix="${MIRBAX_WINEPREFIX:-${TMPDIR:-/tmp}/mirbax-wine-$(id -u)}"
export WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$prefix/.made" ]; then
  mkdir -p "$prefix"
  flock "$prefix/.lock" sh -c "[ -f '$prefix/.made' ] || { '$wine' wineboot --init >/dev/null 2>&1; touch '$prefix/.made'; }"
fi
exec "$wine" "$@"
