#!/usr/bin/env bash
# Configures and builds both presets: the portable core with its unit tests (native) and
# snarvik.exe with the Win32 tests and helpers (mingw). Extra arguments go to every build step,
# e.g. `scripts/build.sh --target snarvik`.
set -euo pipefail
cd "$(dirname "$0")/.."
[[ ${SNARVIK_SKIP_SETUP:-} == 1 ]] || bash scripts/setup.sh
jobs=${SNARVIK_JOBS:-2}
for preset in native mingw; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$jobs" "$@"
done
