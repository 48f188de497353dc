#!/usr/bin/env bash
# Builds every benchmark program (bench/NAME.cpp -> build/mingw/NAME.exe) and runs each under
# the Wine harness at 1920x1080 and at 3840x2160 (or the sizes given: bench/run.sh 1280x720).
# The programs print their own figures; this prints them under a heading per program and size,
# then the idle CPU time and memory in the tray (bench/idle_cpu.sh, bench/memory.sh) at the first size.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1920x1080 3840x2160)

names=()
for source in bench/*.cpp; do
    [[ -e $source ]] && names+=("$(basename "$source" .cpp)")
done
if [[ ${#names[@]} -eq 0 ]]; then
    echo "bench/run.sh: no bench/*.cpp"
    exit 1
fi
cmake --preset mingw >/dev/null || exit 1
cmake --build --preset mingw -j2 --target snarvik wintool bare_tray "${names[@]}" || exit 1

# shellcheck source=../scripts/harness.sh
source scripts/harness.sh
trap harness_down EXIT
status=0
log=$(mktemp)
for size in "${sizes[@]}"; do
    export SNARVIK_HARNESS_DIR=$PWD/build/harness-bench
    harness_up "$size" || exit 1
    for name in "${names[@]}"; do
        printf '\n=== %s at %s\n' "$name" "$size"
        # Benchmarks take longer than tests, but are bounded too.
        SNARVIK_WINE_TIMEOUT=${SNARVIK_BENCH_TIMEOUT:-600} scripts/wine-run "build/mingw/$name.exe" |
            tee -a "$log"
        [[ ${PIPESTATUS[0]} -eq 0 ]] || { echo "$name failed at $size"; status=1; }
    done
    if [[ $size == "${sizes[0]}" ]]; then
        printf '\n=== idle in the tray at %s\n' "$size"
        bash bench/idle_cpu.sh || status=1
        printf '\n=== memory idling in the tray at %s\n' "$size"
        bash bench/memory.sh || status=1
    fi
    harness_down
done
# A pointer move must cost the same on any screen: each kind's time at each size against the
# first size.
awk -v sizes="${sizes[*]}" '/^pointer move/ { what = $0; sub(/ +[0-9.]+ ms.*/, "", what)
        if (!(what in first)) { first[what] = $(NF - 1); kinds[++k] = what; seen[what] = 1 }
        else { t[what, ++seen[what]] = $(NF - 1) } }
    END { split(sizes, s, " "); printf "\n"; for (j = 1; j <= k; ++j) for (i = 2; i <= seen[kinds[j]]; ++i)
        printf "%s at %s: %.2fx of its time at %s\n", kinds[j], s[i], t[kinds[j], i] / first[kinds[j]], s[1] }' "$log"
rm -f "$log"
exit "$status"
