#!/bin/bash
# A fresh Wine prefix for the tests, headless and quiet, with one wineserver
# kept running for it. Used inside the Debian 13 root (scripts/wine-root.sh),
# whose Wine runs the 32-bit programs in WoW64 mode. Source this file, then:
#   quillgate_prefix_create DIR   - new prefix in DIR (an old one is replaced)
#   quillgate_prefix_start  DIR   - persistent wineserver for DIR
#   quillgate_prefix_stop   DIR   - ends that wineserver (and only that one)
#   quillgate_prefix_local  DIR   - in the virtual machine, keeps the prefix in
#                                   DIR on the machine's own disk
# The loader and server are named directly: Debian's wrapper would ask for a
# 32-bit loader, which WoW64 does not need.

QUILLGATE_WINE=/usr/lib/wine/wine64
QUILLGATE_WINESERVER=/usr/lib/wine/wineserver64

quillgate_prefix_create() {
    local prefix="$1"
    case "$prefix" in
        */build*/wineprefix*) ;;
        *) echo "refusing to replace a prefix outside a build folder: $prefix" >&2; return 1 ;;
    esac
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" "$QUILLGATE_WINESERVER" -k 2>/dev/null || true
    fi
    # In the virtual machine a folder of its own disk hides the checkout's.
    quillgate_prefix_local "$prefix" || return 1
    if mountpoint -q "$prefix"; then
        find "$prefix" -mindepth 1 -delete
    else
        rm -rf "$prefix"
        mkdir -p "$prefix"
    fi
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;notepad.exe=n"
    WINEARCH=win64 WINEPREFIX="$prefix" "$QUILLGATE_WINE" wineboot -i >/dev/null 2>&1
    # Null graphics driver: windows and dialogs exist but nothing is drawn.
    WINEPREFIX="$prefix" "$QUILLGATE_WINE" reg add 'HKCU\Software\Wine\Drivers' \
        /v Graphics /d null /f >/dev/null 2>&1
    WINEPREFIX="$prefix" "$QUILLGATE_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
        /v 'MS UI Gothic' /d IPAGothic /f >/dev/null 2>&1
    # A crash ends the process at once with its exception code: no winedbg,
    # which would wait on the tests' output pipe.
    local aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    WINEPREFIX="$prefix" "$QUILLGATE_WINE" reg delete "$aedebug" /v Debugger /f >/dev/null 2>&1
    WINEPREFIX="$prefix" "$QUILLGATE_WINE" reg delete "$aedebug" /v Debugger /f /reg:32 \
        >/dev/null 2>&1
    WINEPREFIX="$prefix" "$QUILLGATE_WINESERVER" -w
    [ -f "$prefix/system.reg" ]
}

# A prefix is over a gigabyte of files, which the virtual machine's share of
# the checkout would carry slowly. There it lives on the machine's own disk
# (a snapshot that goes with the machine), bound over its folder; elsewhere
# this does nothing.
quillgate_prefix_local() {
    local prefix="$1"
    [ "${QUILLGATE_WAY:-}" = vm ] || return 0
    mountpoint -q "$prefix" 2>/dev/null && return 0
    local disk="/var/tmp/quillgate-prefixes$prefix"
    mkdir -p "$disk" "$prefix" && mount --bind "$disk" "$prefix"
}

quillgate_prefix_start() {
    local prefix="$1"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;notepad.exe=n"
    WINEPREFIX="$prefix" "$QUILLGATE_WINESERVER" -p || true # already running is fine
    WINEPREFIX="$prefix" "$QUILLGATE_WINE" cmd /c exit >/dev/null 2>&1 || true
}

quillgate_prefix_stop() {
    WINEPREFIX="$1" "$QUILLGATE_WINESERVER" -k 2>/dev/null || true
}
