#!/usr/bin/env bash
# Runs a Windows program of the 64-bit build under wine64 in its own 64-bit prefix,
# headless and quiet.
. "$(dirname "$0")/host.sh"
export WINEPREFIX=$WRENFIELD_WINEPREFIX64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$wine64" "$@"
