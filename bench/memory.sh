#!/usr/bin/env bash
# Private memory of snarvik.exe idling in the tray before its first cut, against a bare tray
# program (bench/bare/bare_tray.cpp): Private_Clean + Private_Dirty of /proc/PID/smaps_rollup,
# medians of five starts of each, taken in turns in one run. Also lists the libraries only
# Snarvik maps. usage: bench/memory.sh (needs build/mingw/snarvik.exe and bare_tray.exe)
set -uo pipefail
cd "$(dirname "$0")/.."
bin=${SNARVIK_MINGW_DIR:-$PWD/build/mingw}
# shellcheck source=../scripts/harness.sh
source scripts/harness.sh
prefix=
finish() {
    [[ -n $prefix ]] && { harness_wine_stop "$prefix"; rm -rf "$prefix"; }
    harness_down
}
trap finish EXIT
if [[ -z ${SNARVIK_TEMPLATE_PREFIX:-} || ! -f ${SNARVIK_TEMPLATE_PREFIX}/system.reg ]]; then
    export SNARVIK_HARNESS_DIR=${SNARVIK_HARNESS_DIR:-$PWD/build/harness-memory}
    harness_up >/dev/null || exit 1
fi
prefix=${SNARVIK_HARNESS_DIR}/memory-$$
harness_copy "$prefix" || exit 1
export WINEPREFIX=$prefix
mkdir -p "$prefix/drive_c/Snarvik"
cp "$bin/snarvik.exe" "$bin/help.html" "$bin/bare_tray.exe" "$prefix/drive_c/Snarvik/" || exit 1
harness_wine_start "$prefix" || exit 1
timeout 30 wine reg add 'HKCU\Software\VB and VBA Program Settings\Snarvik\Settings' \
    /v Init /d 1 /f >/dev/null 2>&1 # a later start: no first-run actions

# Starts the program, waits for its window, lets it settle, prints its private KB; ends it.
measure() {
    local exe=$1 class=$2 pid i
    wine "C:\\Snarvik\\$exe" </dev/null >/dev/null 2>&1 &
    pid=$!
    for ((i = 0; i < 100; i++)); do
        timeout 10 wine "$bin/wintool.exe" find "$class" >/dev/null 2>&1 && break
        sleep 0.2
    done
    sleep 2
    awk '/^Private_(Clean|Dirty):/ { kb += $2 } END { print kb }' "/proc/$pid/smaps_rollup"
    [[ $exe == snarvik.exe ]] && grep -o '[^/ ]*\.\(dll\|so\)[^ ]*$' "/proc/$pid/maps" | sort -u \
        >"$prefix/snarvik.maps"
    [[ $exe == bare_tray.exe ]] && grep -o '[^/ ]*\.\(dll\|so\)[^ ]*$' "/proc/$pid/maps" |
        sort -u >"$prefix/bare.maps"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
snarvik=() bare=()
for ((run = 0; run < 5; run++)); do
    snarvik+=("$(measure snarvik.exe SnarvikMainWindow)")
    bare+=("$(measure bare_tray.exe BareTray)")
done
s=$(printf '%s\n' "${snarvik[@]}" | median)
b=$(printf '%s\n' "${bare[@]}" | median)
awk -v s="$s" -v b="$b" -v runs="${snarvik[*]} / ${bare[*]}" 'BEGIN {
    printf "private memory idling in the tray: snarvik.exe %.1f MB, bare tray program %.1f MB, " \
        "difference %.1f MB (medians of 5; runs: %s KB)\n", s / 1024, b / 1024, (s - b) / 1024, runs }'
only=$(comm -23 "$prefix/snarvik.maps" "$prefix/bare.maps" | tr '\n' ' ')
echo "libraries mapped: snarvik.exe $(wc -l <"$prefix/snarvik.maps"), bare $(wc -l <"$prefix/bare.maps");" \
    "only by snarvik.exe: ${only:-none}"
