#!/usr/bin/env sh
# Runs a Windows program of the 64-bit build under wine64, quietly, in a wine
# prefix of its own (made on first use) so no user's wine set-up is touched.
prefix="${MIRBAX_WINEPREFIX:-${TMPDIR:-/tmp}/mirbax-wine-$(id -u)}"
mkdir -p "$prefix"
WINEPREFIX="$prefix" WINEDEBUG="${WINEDEBUG:--all}" exec /usr/lib/wine/wine64 "$@"
