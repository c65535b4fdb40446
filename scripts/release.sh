#!/bin/bash
# Packs dist/quillgate-<version>.zip from a built 32-bit notepad.exe and the
# administrative templates, with fixed timestamps and order so the same input
# gives the same bytes.
#   scripts/release.sh <notepad.exe> <version> <output.zip>
set -euo pipefail
exe="$1"
version="$2"
out="$3"
sources="$(dirname "$0")/.."
stage=$(mktemp -d "$(dirname "$out")/.stage.XXXXXX")
trap 'rm -rf "$stage"' EXIT
files=(INSTALL.txt notepad.exe policies/quillgate.admx policies/en-US/quillgate.adml
       policies/ja-JP/quillgate.adml)
cp "$exe" "$stage/notepad.exe"
sed "s/@VERSION@/$version/" "$sources/dist-files/INSTALL.txt" | sed 's/$/\r/' \
    >"$stage/INSTALL.txt"
mkdir -p "$stage/policies/en-US" "$stage/policies/ja-JP"
for template in quillgate.admx en-US/quillgate.adml ja-JP/quillgate.adml; do
    cp "$sources/installer/policies/$template" "$stage/policies/$template"
done
(cd "$stage" && chmod 644 "${files[@]}" &&
    touch -d '2026-01-01 00:00:00 UTC' "${files[@]}" &&
    TZ=UTC zip -X -q -D packed.zip "${files[@]}")
mv "$stage/packed.zip" "$out"
echo "$out"
