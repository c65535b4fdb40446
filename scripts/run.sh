#!/bin/bash
# Installs what is missing, builds, and runs notepad.exe under Wine with the
# arguments given, in its own prefix (build-wine/runprefix). Without a display
# it runs under Xvfb and saves a screenshot of what the program shows.
#   bash scripts/run.sh [/setting | /p | file ...]
# The 64-bit build runs: machines whose kernel runs no 32-bit user code cannot
# start 32-bit Wine. The shipped 32-bit program is build/notepad.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build"
wine_build="$root/build-wine"
prefix="$wine_build/runprefix"

bash scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DQUILLGATE_TESTS=OFF >/dev/null
cmake --build "$build" >/dev/null
cmake -S . -B "$wine_build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake >/dev/null
cmake --build "$wine_build" --target notepad >/dev/null
echo "built $build/notepad.exe (32-bit) and $wine_build/notepad.exe (64-bit)"

# The program is Japanese: it runs in the Japanese locale (ANSI code page 932)
# unless QUILLGATE_LOCALE names another, e.g. en_US.UTF-8 for code page 1252.
export LC_ALL="${QUILLGATE_LOCALE:-ja_JP.UTF-8}" LANG="${QUILLGATE_LOCALE:-ja_JP.UTF-8}"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;notepad.exe=n"
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    WINEARCH=win64 "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAGothic \
        /f >/dev/null 2>&1
    "$server" -w
fi

if [ -n "${DISPLAY:-}" ]; then
    "$wine" "$wine_build/notepad.exe" "$@"
    exit 0
fi

# No display: a virtual one, a screenshot while the program shows itself.
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
"$wine" "$wine_build/notepad.exe" "$@" &
program=$!
for _ in $(seq 1 10); do
    kill -0 "$program" 2>/dev/null || break
    sleep 1
done
if kill -0 "$program" 2>/dev/null; then
    shot="$wine_build/run-screenshot.png"
    import -display "$display" -window root "$shot"
    echo "notepad.exe is showing a window; screenshot: $shot"
    "$server" -k || true
    wait "$program" 2>/dev/null || true
else
    wait "$program" && echo "notepad.exe finished (exit code 0)"
fi
