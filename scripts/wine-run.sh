#!/usr/bin/env bash
# Runs a Windows program of the 32-bit build under 32-bit Wine, headless and quiet.
# Wine's own 32-bit loader, not /usr/bin/wine, which would fall back to wine64 where
# 32-bit Wine is missing.
. "$(dirname "$0")/host.sh"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec "$wine32" "$@"
