#!/bin/bash
# Installs what building and testing Quillgate needs, as root, on Debian 12 or
# 13, and makes the Debian 13 root in which Wine runs the 32-bit program.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail
cd "$(dirname "$0")/.."

# The cross toolchain builds notepad.exe and its test programs on the host;
# clang builds the text logic natively with sanitizers and libFuzzer; makensis
# builds the setup program; python3-yaml and xmllint check the release's
# manifests and templates.
PACKAGES=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest
          clang libclang-rt-dev python3 python3-yaml libxml2-utils zip nsis debootstrap
          util-linux)

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

source scripts/wine-root.sh
quillgate_root_ensure
