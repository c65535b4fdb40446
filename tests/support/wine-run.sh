#!/bin/sh
# Runs a cross-built program under Wine in the build tree's own prefix.
# CTest calls this as the cross-compiling emulator. The 64-bit loader is
# named directly: Debian's `wine` wrapper prefers the 32-bit one when present.
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
exec /usr/lib/wine/wine64 "$@"
