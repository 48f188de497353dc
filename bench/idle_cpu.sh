#!/usr/bin/env bash
# Idle cost: the CPU time (user + system) snarvik.exe takes while it only waits in the tray.
# usage: bench/idle_cpu.sh [SECONDS]   (30 by default; needs build/mingw/snarvik.exe)
# Runs in the Wine harness that the caller set up (scripts/harness.sh), else in its own.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
bin=${SNARVIK_MINGW_DIR:-$PWD/build/mingw}
[[ -f $bin/snarvik.exe ]] || { echo "idle_cpu: $bin/snarvik.exe is missing" >&2; exit 1; }

# shellcheck source=../scripts/harness.sh
source scripts/harness.sh
app= prefix=
finish() {
    [[ -n $app ]] && kill "$app" 2>/dev/null
    [[ -n $prefix ]] && { harness_wine_stop "$prefix"; rm -rf "$prefix"; }
    harness_down
}
trap finish EXIT
if [[ -z ${SNARVIK_TEMPLATE_PREFIX:-} || ! -f ${SNARVIK_TEMPLATE_PREFIX}/system.reg ]]; then
    export SNARVIK_HARNESS_DIR=${SNARVIK_HARNESS_DIR:-$PWD/build/harness-idle}
    harness_up >/dev/null || exit 1
fi
prefix=${SNARVIK_HARNESS_DIR:-$PWD/build/harness}/idle-cpu-$$
harness_copy "$prefix" || exit 1
export WINEPREFIX=$prefix
mkdir -p "$prefix/drive_c/Snarvik"
cp "$bin/snarvik.exe" "$bin/help.html" "$prefix/drive_c/Snarvik/" || exit 1
harness_wine_start "$prefix" || exit 1
# A later start: no first-run actions (shortcut, help page) to measure.
timeout 30 wine reg add 'HKCU\Software\VB and VBA Program Settings\Snarvik\Settings' \
    /v Init /d 1 /f >/dev/null 2>&1

# `wine` execs into the program, so this pid is snarvik.exe's own process.
wine 'C:\Snarvik\snarvik.exe' </dev/null >/dev/null 2>&1 &
app=$!
for ((i = 0; i < 100; i++)); do
    timeout 10 wine "$bin/wintool.exe" find SnarvikMainWindow >/dev/null 2>&1 && break
    sleep 0.2
done
((i < 100)) || { echo "idle_cpu: snarvik.exe did not start" >&2; exit 1; }
sleep 2 # start-up work is not idle time
grep -q 'snarvik\.exe' "/proc/$app/cmdline" ||
    { echo "idle_cpu: pid $app is not snarvik.exe" >&2; exit 1; }

# utime + stime in clock ticks: fields 14 and 15 of stat, counted after the "(name)" field.
cpu_ticks() { sed 's/.*) //' "/proc/$app/stat" | awk '{ print $12 + $13 }'; }
hz=$(getconf CLK_TCK)
before=$(cpu_ticks) || exit 1
echo "start-up: $((before * 1000 / hz)) ms of CPU time"
sleep "$seconds"
after=$(cpu_ticks) || { echo "idle_cpu: snarvik.exe ended while idle" >&2; exit 1; }
echo "idle in the tray for $seconds s: $(((after - before) * 1000 / hz)) ms of CPU time" \
    "(measured in ticks of $((1000 / hz)) ms)"
