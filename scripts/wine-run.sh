#!/usr/bin/env bash
# Runs a Windows program of the 32-bit build under Wine, headless and quiet.
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-wrenfield}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
