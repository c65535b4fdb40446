#!/bin/bash
# Packs dist/quillgate-<version>.zip from a built 32-bit notepad.exe, with
# fixed timestamps and order so the same input gives the same bytes.
#   scripts/release.sh <notepad.exe> <version> <output.zip>
set -euo pipefail
exe="$1"
version="$2"
out="$3"
stage=$(mktemp -d "$(dirname "$out")/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
cp "$exe" "$stage/notepad.exe"
sed "s/@VERSION@/$version/" "$(dirname "$0")/../dist-files/INSTALL.txt" | sed 's/$/\r/' \
    >"$stage/INSTALL.txt"
chmod 644 "$stage/notepad.exe" "$stage/INSTALL.txt"
touch -d '2026-01-01 00:00:00 UTC' "$stage/notepad.exe" "$stage/INSTALL.txt"
(cd "$stage" && TZ=UTC zip -X -q -D packed.zip INSTALL.txt notepad.exe)
mv "$stage/packed.zip" "$out"
echo "$out"
