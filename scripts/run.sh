#!/bin/bash
# Installs what is missing, builds, and runs build/notepad.exe, the 32-bit
# program as shipped, with the arguments given. Wine runs it in WoW64 mode
# inside the Debian 13 root (scripts/wine-root.sh), in a prefix of its own
# (build/runprefix). Without a display it runs under Xvfb and saves a
# screenshot of what the program shows.
#   bash scripts/run.sh [/setting | /p | file ...]
# The program is Japanese: it runs in the Japanese locale (ANSI code page 932)
# unless QUILLGATE_LOCALE names another, e.g. en_US.UTF-8 for code page 1252.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build"
prefix="$build/runprefix"

if [ -z "${QUILLGATE_IN_ROOT:-}" ]; then
    bash scripts/install-deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
    cmake --build "$build" --target notepad >/dev/null
    echo "built $build/notepad.exe"
    source scripts/wine-root.sh
    quillgate_in_root "$root" bash scripts/run.sh "$@"
    exit
fi

# Inside the root from here on (directly, or in the virtual machine, whose
# slower CPU QUILLGATE_TIME_SCALE accounts for).
scale=${QUILLGATE_TIME_SCALE:-1}
export LANG="${QUILLGATE_LOCALE:-ja_JP.UTF-8}" LC_ALL="${QUILLGATE_LOCALE:-ja_JP.UTF-8}"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;notepad.exe=n"
source scripts/wine-prefix.sh
wine=$QUILLGATE_WINE
server=$QUILLGATE_WINESERVER
quillgate_prefix_local "$prefix"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAGothic \
        /f >/dev/null 2>&1
    "$server" -w
fi
trap '"$server" -k 2>/dev/null || true' EXIT

if [ -n "${DISPLAY:-}" ]; then
    "$wine" "$build/notepad.exe" "$@"
    exit 0
fi

# No display: a virtual one, and a screenshot while the program shows itself.
for number in $(seq 90 120); do
    [ -e "/tmp/.X$number-lock" ] || break
done
display=":$number"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap '"$server" -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
sleep "$scale"
export DISPLAY=$display
"$wine" "$build/notepad.exe" "$@" &
program=$!
# Until it ends, or shows its sheet or a message (both captioned Quillgate)
# and has had a moment to paint it.
for _ in $(seq 1 $((10 * scale))); do
    kill -0 "$program" 2>/dev/null || break
    if xwininfo -root -tree 2>/dev/null | grep -q '"Quillgate"'; then
        sleep $((2 * scale))
        break
    fi
    sleep 1
done
if kill -0 "$program" 2>/dev/null; then
    shot="$build/run-screenshot.png"
    import -display "$display" -window root "$shot"
    echo "notepad.exe is showing a window; screenshot: $shot"
    "$server" -k || true
    wait "$program" 2>/dev/null || true
else
    code=0
    wait "$program" || code=$?
    echo "notepad.exe finished (exit code $code)"
fi
