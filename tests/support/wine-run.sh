#!/bin/sh
# Runs a cross-built program under Wine in the build tree's own prefix.
# CTest calls this as the cross-compiling emulator, inside the Debian 13 root
# (scripts/wine-root.sh). The loader is named directly: it runs the 32-bit
# programs in WoW64 mode, while Debian's `wine` wrapper asks for a 32-bit one.
# notepad.exe=n: Wine has a notepad.exe of its own, which it would otherwise
# take for ours wherever a file of that name is loaded as a module.
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;notepad.exe=n}"
exec /usr/lib/wine/wine64 "$@"
