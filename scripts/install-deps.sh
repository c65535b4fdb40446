#!/bin/bash
# Installs what building and testing Quillgate needs on Debian 12, as root.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

# The 32-bit toolchain builds the product; the 64-bit one builds what the tests
# run under wine64 (see README: machines without 32-bit user code).
PACKAGES=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 googletest
          wine wine64 fonts-wine xvfb xauth imagemagick fonts-ipafont-gothic
          locales clang libclang-rt-14-dev python3 zip)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: 932 for Japanese, 1252 for English.
need_locales=0
for locale in ja_JP.UTF-8 en_US.UTF-8; do
    if ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
        need_locales=1
    fi
done
if ((need_locales)); then
    sed -i -e 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen
fi
