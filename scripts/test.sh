#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native, native-asan and mingw
# presets, then runs every layer
#   native      unit tests of the portable core (ctest of build/native)
#   sanitizers  the same built with AddressSanitizer and UBSan (ctest of build/native-asan):
#               any report fails its test
#   win32       Win32 tests under Wine in a private Xvfb (ctest of build/mingw, scripts/wine-run)
#   e2e         snarvik.exe driven end to end under Wine (tools/harness/run_all.py)
# and ends with one line "N passed, M failed". Logs and failure screenshots: build/artifacts/.
# Arguments are passed to the e2e runner (e.g. a scenario name pattern).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
artifacts=$root/build/artifacts
rm -rf "$artifacts"
mkdir -p "$artifacts"

passed=0
failed=0
times=()
started=$(date +%s)

note() { printf '\n=== %s\n' "$*"; }
took() { times+=("$(printf '%-8s %4ds  %s' "$1" $(($(date +%s) - $2)) "$3")"); }
layer_broken() {
    failed=$((failed + 1))
    printf 'test.sh: %s\n' "$*" | tee -a "$artifacts/summary.txt"
}

# Adds the counts of a ctest log; a log without ctest's closing line means the layer did not run.
count_ctest() {
    local log=$1 layer=$2 line total bad skipped
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [[ -n $line ]]; then
        bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
        total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
        # ctest counts a skipped test among the passed ones; here it is neither.
        skipped=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$log")
        passed=$((passed + total - bad - skipped))
        failed=$((failed + bad))
        printf '%s: %d passed, %d failed, %d skipped\n' "$layer" $((total - bad - skipped)) "$bad" \
            "$skipped" >>"$artifacts/summary.txt"
    elif grep -q 'No tests were found' "$log"; then
        printf '%s: no tests\n' "$layer" >>"$artifacts/summary.txt"
    else
        layer_broken "$layer tests did not run (see $log)"
    fi
}

note "setup"
t=$(date +%s)
if ! bash scripts/setup.sh 2>&1 | tee "$artifacts/setup.log"; then
    layer_broken "setup failed"
    echo "$passed passed, $failed failed"
    exit 1
fi
took setup "$t" ""

export SNARVIK_SKIP_SETUP=1
note "build native"
t=$(date +%s)
native_ok=1
if ! (cmake --preset native && cmake --build --preset native -j2) >"$artifacts/build-native.log" 2>&1; then
    native_ok=0
    tail -n 40 "$artifacts/build-native.log"
fi
took build-n "$t" ""

note "build native with sanitizers"
t=$(date +%s)
asan_ok=1
if ! (cmake --preset native-asan && cmake --build --preset native-asan -j2) \
    >"$artifacts/build-native-asan.log" 2>&1; then
    asan_ok=0
    tail -n 40 "$artifacts/build-native-asan.log"
fi
took build-s "$t" ""

note "build mingw"
t=$(date +%s)
mingw_ok=1 exe_ok=1
if ! (cmake --preset mingw && cmake --build --preset mingw -j2) >"$artifacts/build-mingw.log" 2>&1; then
    mingw_ok=0
    tail -n 40 "$artifacts/build-mingw.log"
    # The program and its helpers may still build for the end-to-end layer.
    cmake --build --preset mingw -j2 --target snarvik wintool help_page >>"$artifacts/build-mingw.log" 2>&1 ||
        exe_ok=0
fi
took build-m "$t" ""

note "native unit tests"
t=$(date +%s)
if [[ $native_ok == 1 ]]; then
    timeout -k 10 900 ctest --test-dir build/native --output-on-failure -j2 2>&1 |
        tee "$artifacts/ctest-native.log"
    count_ctest "$artifacts/ctest-native.log" native
else
    layer_broken "native build failed (see $artifacts/build-native.log)"
fi
took native "$t" "$(tail -n 1 "$artifacts/summary.txt" 2>/dev/null)"

note "native unit tests with sanitizers"
t=$(date +%s)
if [[ $asan_ok == 1 ]]; then
    # The preset leaves out the checks of the source files, which run above.
    timeout -k 10 900 ctest --preset native-asan -j2 2>&1 | tee "$artifacts/ctest-native-asan.log"
    count_ctest "$artifacts/ctest-native-asan.log" sanitizers
else
    layer_broken "native build with sanitizers failed (see $artifacts/build-native-asan.log)"
fi
took sanitize "$t" "$(tail -n 1 "$artifacts/summary.txt" 2>/dev/null)"

# shellcheck source=harness.sh
source scripts/harness.sh
trap harness_down EXIT
note "Wine harness"
t=$(date +%s)
harness_ok=1
harness_up >"$artifacts/harness.log" 2>&1 || harness_ok=0
cat "$artifacts/harness.log"
[[ $harness_ok == 1 ]] || layer_broken "the Wine harness did not start (see $artifacts/harness.log)"
took harness "$t" ""

note "Win32 tests under Wine"
t=$(date +%s)
if [[ $mingw_ok == 0 ]]; then
    layer_broken "mingw build failed (see $artifacts/build-mingw.log)"
elif [[ $harness_ok == 1 ]]; then
    # One desktop, clipboard and hotkey for all: one test at a time.
    timeout -k 10 1200 ctest --test-dir build/mingw --output-on-failure -j1 2>&1 |
        tee "$artifacts/ctest-mingw.log"
    count_ctest "$artifacts/ctest-mingw.log" win32
fi
took win32 "$t" "$(tail -n 1 "$artifacts/summary.txt" 2>/dev/null)"
# Its desktop would lie over the scenarios' own desktops on the same display.
[[ $harness_ok == 1 ]] && harness_wine_stop "$WINEPREFIX"

note "end-to-end scenarios"
t=$(date +%s)
if [[ $exe_ok == 0 ]]; then
    layer_broken "snarvik.exe did not build (see $artifacts/build-mingw.log)"
elif [[ $harness_ok == 1 ]]; then
    export SNARVIK_NATIVE_DIR=$root/build/native SNARVIK_MINGW_DIR=$root/build/mingw
    export SNARVIK_ARTIFACTS=$artifacts/e2e
    timeout -k 10 1200 /usr/bin/python3 tools/harness/run_all.py --counts "$artifacts/e2e-counts" "$@" \
        2>&1 | tee "$artifacts/e2e.log"
    if read -r e2e_passed e2e_failed _ <"$artifacts/e2e-counts" 2>/dev/null; then
        passed=$((passed + e2e_passed))
        failed=$((failed + e2e_failed))
        printf 'e2e: %d passed, %d failed\n' "$e2e_passed" "$e2e_failed" >>"$artifacts/summary.txt"
    else
        layer_broken "end-to-end scenarios did not run (see $artifacts/e2e.log)"
    fi
fi
took e2e "$t" "$(tail -n 1 "$artifacts/summary.txt" 2>/dev/null)"
harness_down
trap - EXIT

note "times"
printf '%s\n' "${times[@]}"
printf 'total    %4ds\n' $(($(date +%s) - started))

# The tests' share of the code: tests/ and the harness that only tests use (tools/harness/ but
# the run command's demo) against those and src/; blank and comment-only lines left out.
code_lines() {
    grep -E '\.(c|cc|cpp|h|hpp|py|sh)$' | xargs -r cat | awk '{ t = $0; sub(/^[ \t]+/, "", t)
        if (t == "" || t ~ /^\/\// || t ~ /^# / || t == "#" || t ~ /^\*/ || t ~ /^\/\*/) next; n++ }
        END { print n + 0 }'
}
src_lines=$(git ls-files src | code_lines)
test_lines=$( { git ls-files tests; git ls-files tools/harness | grep -v '/demo\.py$'; } | code_lines)
awk -v t="$test_lines" -v s="$src_lines" \
    'BEGIN { printf "test lines: %d of %d (%.1f %%)\n", t, s + t, 100 * t / (s + t) }'
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
