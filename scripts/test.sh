#!/bin/bash
# Installs what is missing, builds, and runs every test: notepad.exe for
# 32-bit Windows with its test programs, run under Wine's WoW64 mode in the
# Debian 13 root (Japanese and English locales), and the native sanitizer and
# fuzzer build. Ends with one line "N passed, N failed".
#   BUILD_DIR=build-x scripts/test.sh    builds elsewhere (its own Wine prefix)
#   scripts/test.sh -R Launcher          passes arguments on to both ctest runs
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/${BUILD_DIR:-build}"
native="$build-native"
ctest_args=("$@")

if [ -n "${QUILLGATE_IN_ROOT:-}" ]; then
    # Inside the root: the Windows-side tests. Each locale's runs have a fresh
    # prefix of their own (tests/CMakeLists.txt), so the two locales run side
    # by side, one test program at a time each.
    source scripts/wine-prefix.sh
    prefixes=("$build/wineprefix-ja" "$build/wineprefix-en")
    rm -rf "$build/wineprefix" # the single prefix of earlier versions
    trap 'for p in "${prefixes[@]}"; do quillgate_prefix_stop "$p"; done' EXIT
    makers=()
    for prefix in "${prefixes[@]}"; do
        quillgate_prefix_create "$prefix" &
        makers+=($!)
    done
    for maker in "${makers[@]}"; do
        wait "$maker" || exit 1
    done
    for prefix in "${prefixes[@]}"; do
        quillgate_prefix_start "$prefix"
    done
    # 300 s a test program natively, scaled like the tests' own waits.
    ctest --test-dir "$build" --output-on-failure --parallel 2 \
        --timeout $((300 * ${QUILLGATE_TIME_SCALE:-1})) "${ctest_args[@]}"
    exit
fi

bash scripts/install-deps.sh || exit 1
source scripts/wine-root.sh

passed=0
failed=0
count() { # adds up ctest's summary line in log $1, or one failure for step $2
    local line
    line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
    if [ -z "$line" ]; then
        if grep -q 'No tests were found' "$1"; then return; fi
        echo "!! $2 did not run" >&2
        failed=$((failed + 1))
        return
    fi
    local bad total
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

# The product as shipped, 32-bit notepad.exe, and the programs that test it;
# then the release made from it, whose files the native tests check.
mkdir -p "$build"
if cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DQUILLGATE_WERROR=ON >"$build/configure.log" 2>&1 &&
    cmake --build "$build" >"$build/build.log" 2>&1 &&
    cmake --build "$build" --target release >>"$build/build.log" 2>&1; then
    quillgate_in_root "$root" bash scripts/test.sh "${ctest_args[@]}" 2>&1 |
        tee "$build/ctest.log"
    count "$build/ctest.log" "the Wine tests"
else
    cat "$build/configure.log" "$build/build.log" 2>/dev/null | tail -40
    echo "!! the 32-bit build failed" >&2
    failed=$((failed + 1))
fi

mkdir -p "$native"
if CC=clang CXX=clang++ cmake -S . -B "$native" -G Ninja -DQUILLGATE_WERROR=ON \
        >"$native/configure.log" 2>&1 &&
    cmake --build "$native" >"$native/build.log" 2>&1; then
    ctest --test-dir "$native" --output-on-failure "${ctest_args[@]}" 2>&1 | tee "$native/ctest.log"
    count "$native/ctest.log" "the native tests"
else
    cat "$native/configure.log" "$native/build.log" | tail -40
    echo "!! the native build failed" >&2
    failed=$((failed + 1))
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
