#!/bin/bash
# Renders the pages of the settings sheet under Xvfb in a Japanese and an
# English locale, each in its own language, and in the English locale with
# UILanguage ja, and saves them, cropped to the sheet window, as
# docs/<page>-<name>.png: the Settings and About pages as settings-ja,
# about-ja, settings-en, about-en, settings-en-ja and about-en-ja, the Status
# page as status-ja and status-en. Builds what is missing first. The README
# shows these files: regenerate them with this script, never by hand.
#   bash scripts/screenshots.sh            (BUILD_DIR=build-x to build elsewhere)
# It shows build/notepad.exe, the 32-bit program as shipped, under Wine's
# WoW64 mode inside the Debian 13 root, in a prefix of its own with Wine's
# X11 driver and an Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/${BUILD_DIR:-build}"
prefix="$build/shotprefix"
docs="$root/docs"

if [ -z "${QUILLGATE_IN_ROOT:-}" ]; then
    bash scripts/install-deps.sh
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
    fi
    cmake --build "$build" --target notepad sheet_pose >/dev/null
    source scripts/wine-root.sh
    quillgate_in_root "$root" bash scripts/screenshots.sh
    exit
fi

# Inside the root from here on.
source scripts/wine-prefix.sh
wine=$QUILLGATE_WINE
# notepad.exe=n: reading the program's own version resource must open this
# file, not Wine's built-in notepad of the same name (which has none).
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;notepad.exe=n"
quillgate_prefix_local "$prefix"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    # Japanese text in a Japanese font, in both locales ("MS Shell Dlg" is
    # "MS UI Gothic" in the Japanese one; Tahoma links to it in the other).
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAGothic \
        /f >/dev/null 2>&1
    # No window manager runs under Xvfb: Wine draws the title bar itself.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    "$QUILLGATE_WINESERVER" -w
    # Tahoma (the Western dialog font) and Marlett (the title bar's buttons)
    # come with Wine, which here does not look for them in its data folder.
    cp -n /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
fi

for number in $(seq 90 120); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] || break
done
display=":$number"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    quillgate_prefix_stop "$prefix"
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep "${QUILLGATE_TIME_SCALE:-1}"
export DISPLAY="$display"
mkdir -p "$docs"

# The sheet window only, without the dates ImageMagick would write into it.
shoot() {
    import -display "$display" -window root -crop "$1" +repage -strip \
        -define png:exclude-chunks=date,time "$2"
}

# What the Status page shows: Notepad taken over by this notepad.exe, as
# Setup leaves it on Windows 11, after an update put two of the filter
# subkeys back with the Store redirect; .txt files given to Quillgate.
notepad_key='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\notepad.exe'
user_choice='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts\.txt\UserChoice'
take_over_notepad() {
    local entry filter number file
    entry="\"$("$wine" winepath -w "$build/notepad.exe" | tr -d '\r')\" /z"
    "$wine" reg add "$notepad_key" /v Debugger /d "$entry" /f >/dev/null 2>&1
    "$wine" reg add "$notepad_key" /v UseFilter /t REG_DWORD /d 1 /f >/dev/null 2>&1
    for filter in "0 System32\\notepad.exe" "1 SysWOW64\\notepad.exe" "2 notepad.exe"; do
        read -r number file <<<"$filter"
        "$wine" reg add "$notepad_key\\$number" /v FilterFullPath /d "C:\\Windows\\$file" \
            /f >/dev/null 2>&1
        "$wine" reg add "$notepad_key\\$number" /v AppExecutionAliasRedirect /t REG_DWORD /d 1 \
            /f >/dev/null 2>&1
    done
    "$wine" reg add "$notepad_key\\0" /v Debugger /d "$entry" /f >/dev/null 2>&1
    "$wine" reg add "$user_choice" /v ProgId /d Quillgate.txt /f >/dev/null 2>&1
}

# Each shot: the locale, the UILanguage value (none: the system's choice) and
# the suffix of its files.
for shot in "ja_JP.UTF-8 - ja" "en_US.UTF-8 - en" "en_US.UTF-8 ja en-ja"; do
    read -r locale language name <<<"$shot"
    export LANG=$locale LC_ALL=$locale
    quillgate_prefix_start "$prefix"
    "$wine" reg delete 'HKCU\Software\Corvalen' /f >/dev/null 2>&1 || true # the defaults
    if [ "$language" != - ]; then
        "$wine" reg add 'HKCU\Software\Corvalen\Quillgate' /v UILanguage /d "$language" \
            /f >/dev/null 2>&1
    fi
    if [ "$language" = - ]; then
        take_over_notepad
    fi
    "$wine" "$build/notepad.exe" /setting &
    program=$!
    # The Status page in each locale's own language; the pages' order on the sheet.
    pages="settings about"
    [ "$language" = - ] && pages="settings status about"
    for page in $pages; do
        case $page in
        settings) index=0 ;;
        status) index=1 ;;
        about) index=2 ;;
        esac
        geometry=$("$wine" "$build/tools/sheet_pose.exe" "$index" | tr -d '\r')
        sleep $((2 * ${QUILLGATE_TIME_SCALE:-1})) # let the page paint
        shoot "$geometry" "$docs/$page-$name.png"
        echo "docs/$page-$name.png ($geometry)"
    done
    "$wine" "$build/tools/sheet_pose.exe" close
    wait "$program"
    "$wine" reg delete 'HKCU\Software\Corvalen' /f >/dev/null 2>&1 || true
    "$wine" reg delete "$notepad_key" /f >/dev/null 2>&1 || true
    "$wine" reg delete "$user_choice" /f >/dev/null 2>&1 || true
    quillgate_prefix_stop "$prefix"
done
