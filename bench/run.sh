#!/bin/bash
# The cost of one forwarding hop: notepad.exe against minimal programs that
# make the same shell calls, timed inside Wine by hop_timer.exe.
#   bash bench/run.sh [PAIRS]      (default 30 pairs after 5 warm-up pairs)
# Runs the 32-bit programs as shipped, under Wine's WoW64 mode inside the
# Debian 13 root (scripts/wine-root.sh); prints one table of ratios, then
# the median time of each step of a forward (launcher/step_times.h), from a
# second pass in which both programs time their steps.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build="$root/build-bench"
pairs="${1:-30}"

if [ -z "${QUILLGATE_IN_ROOT:-}" ]; then
    bash scripts/install-deps.sh >/dev/null
    cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DQUILLGATE_TESTS=OFF -DQUILLGATE_BENCH=ON >/dev/null
    cmake --build "$build" >/dev/null
    source scripts/wine-root.sh
    quillgate_in_root "$root" bash bench/run.sh "$pairs"
    exit
fi

# Inside the root from here on.
source scripts/wine-prefix.sh
prefix="$build/wineprefix"
quillgate_prefix_local "$prefix"
[ -f "$prefix/system.reg" ] || quillgate_prefix_create "$prefix"
trap 'quillgate_prefix_stop "$prefix"' EXIT
quillgate_prefix_start "$prefix"
export WINEPREFIX="$prefix"
wine=$QUILLGATE_WINE

win() { echo "Z:${1//\//\\}"; }
bench=$(win "$build/bench")
notepad=$(win "$build/notepad.exe")
editor="$bench\\exit_at_once.exe"
data="$prefix/drive_c/bench"
mkdir -p "$data"
echo text >"$data/file.txt"
echo a >"$data/a.txt"
echo b >"$data/b.txt"

reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
key='HKCU\Software\Corvalen\Quillgate'
reg "$key\\Paths" /v CommonEditor /d "$editor"
reg "$key\\Paths" /v PrinterEditor /d "$editor"
reg "$key\\Source" /v ExtensionFlag /t REG_DWORD /d 0
reg "$key\\Source" /v Extension /d htm

# The Internet cache folder of this prefix, as the shell reports it.
cache=$("$wine" "$bench\\hop_timer.exe" --cache-folder 2>/dev/null | tr -d '\r' || true)
cache_unix=$("$wine" winepath -u "$cache" 2>/dev/null | tr -d '\r' || true)
if [ -n "$cache_unix" ]; then
    mkdir -p "$cache_unix"
    echo '<html></html>' >"$cache_unix/page.txt"
fi

forwarding="$build/bench/forwarding.txt"
{
    echo "case forward one file"
    echo "A $notepad C:\\bench\\file.txt"
    echo "B $bench\\minimal_forwarder.exe $editor \"\\\"C:\\bench\\file.txt\\\"\""
    echo "case one file, B with COM"
    echo "A $notepad C:\\bench\\file.txt"
    echo "B $bench\\minimal_forwarder.exe --com $editor \"\\\"C:\\bench\\file.txt\\\"\""
    echo "case /p with two files"
    echo "A $notepad /p C:\\bench\\a.txt C:\\bench\\b.txt"
    echo "B $bench\\minimal_forwarder.exe $editor \"/p \\\"C:\\bench\\b.txt\\\"\" \"/p \\\"C:\\bench\\a.txt\\\"\""
    echo "case /p two files, B with COM"
    echo "A $notepad /p C:\\bench\\a.txt C:\\bench\\b.txt"
    echo "B $bench\\minimal_forwarder.exe --com $editor \"/p \\\"C:\\bench\\b.txt\\\"\" \"/p \\\"C:\\bench\\a.txt\\\"\""
    echo "case settings sheet window"
    echo "A $notepad /setting"
    echo "B $bench\\minimal_sheet.exe"
} >"$forwarding"
view_source="$build/bench/view-source.txt"
{
    echo "case view-source copy"
    echo "A $notepad $cache\\page.txt"
    echo "B $bench\\minimal_forwarder.exe --copy \"$cache\\page.txt\" \"$cache\\page.txt.htm\" $editor \"\\\"$cache\\page.txt.htm\\\"\""
} >"$view_source"

if [ "${QUILLGATE_WAY:-direct}" = vm ]; then
    echo "Wine ran in the virtual machine (software CPU): compare ratios, not times, with a direct run"
else
    echo "Wine ran directly in the Debian 13 root"
fi
echo "A = notepad.exe, B = minimal program; $pairs pairs, alternated; ratio = A/B per pair"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Without a console (standard handles on a pipe and /dev/null), so that
# notepad.exe takes the road of a GUI caller, which does not wait, as the
# minimal program does; the step times below name the road taken.
"$wine" "$bench\\hop_timer.exe" "$(win "$forwarding")" "$pairs" 5 </dev/null | cat
if [ -n "$cache_unix" ]; then
    reg "$key\\Source" /v ExtensionFlag /t REG_DWORD /d 1
    "$wine" "$bench\\hop_timer.exe" "$(win "$view_source")" "$pairs" 5 </dev/null | tail -n +2
    reg "$key\\Source" /v ExtensionFlag /t REG_DWORD /d 0
fi

# The steps: the forwarding cases once more, each program appending its
# steps' times to one file per case.
steps_table() {
    # Median of each step over the lines of one program, in milliseconds.
    awk -v program="$2" '$1 == program {
            runs++
            for (i = 2; i <= NF; i++) {
                split($i, kv, "="); name = kv[1]; gsub("_", " ", name)
                if (!(name in seen)) { seen[name] = 1; order[++n] = name }
                values[name, ++count[name]] = kv[2] / 1000
            }
        }
        END {
            for (s = 1; s <= n; s++) {
                name = order[s]; m = count[name]
                for (i = 1; i <= m; i++) v[i] = values[name, i]
                for (i = 2; i <= m; i++) for (j = i; j > 1 && v[j - 1] > v[j]; j--) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
                median = m % 2 ? v[(m + 1) / 2] : (v[m / 2] + v[m / 2 + 1]) / 2
                total += median
                printf "  %-24s %8.2f ms  (%d of %d runs)\n", name, median, m, runs
            }
            printf "  %-24s %8.2f ms\n", "sum of the medians", total
        }' "$1"
}
step_pairs=$(( pairs < 20 ? pairs : 20 ))
for case_name in "forward one file" "one file, B with COM" "/p with two files" "/p two files, B with COM"; do
    cases="$build/bench/steps.txt"
    grep -A2 -x "case $case_name" "$forwarding" >"$cases"
    times="$build/bench/step-times.txt"
    rm -f "$times"
    QUILLGATE_STEP_TIMES=$(win "$times") WINEDEBUG=-all \
        "$wine" "$bench\\hop_timer.exe" "$(win "$cases")" "$step_pairs" 2 </dev/null >/dev/null
    tr -d '\r' <"$times" >"$times.unix"
    echo "steps of $case_name, median of $step_pairs runs after 2 warm-up runs:"
    echo " notepad.exe"
    steps_table "$times.unix" notepad
    echo " minimal program"
    steps_table "$times.unix" minimal
done
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
