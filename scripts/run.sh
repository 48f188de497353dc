#!/usr/bin/env bash
# The one run command: installs what is missing, builds snarvik.exe, and starts it under Wine.
# - With a DISPLAY: on that display inside a Wine virtual desktop (its taskbar carries the tray
#   icon), in the prefix build/run-prefix, kept between runs like a user's profile. The desktop
#   is 1280x800 unless SNARVIK_SCREEN says otherwise. Quit with the tray menu's Exit.
# - Without one: a short demo in a private X display; screenshots land in build/demo/.
# Either way it ends with the program's (or the demo's) exit status and leaves no X server,
# wineserver or Wine process of its own behind.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 --target snarvik wintool help_page

if [[ -z ${DISPLAY:-} ]]; then
    # shellcheck source=harness.sh
    source scripts/harness.sh
    trap harness_down EXIT
    harness_up >/dev/null
    harness_wine_stop "$WINEPREFIX" # the demo makes a prefix of its own
    status=0
    /usr/bin/python3 tools/harness/demo.py || status=$?
    exit "$status"
fi

export WINEPREFIX=$PWD/build/run-prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# The desktop, services and the wineserver would outlive Snarvik: stopped when this script ends,
# also on Ctrl+C. The prefix is Snarvik's own, so nothing else runs in it.
stop_prefix() {
    timeout 20 wineserver -k 2>/dev/null || true
    timeout 20 wineserver -w 2>/dev/null || true
}
trap stop_prefix EXIT
size=${SNARVIK_SCREEN:-1280x800}
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "run.sh: making the Wine prefix $WINEPREFIX (once)"
    SNARVIK_BROWSER=system scripts/make-prefix "$WINEPREFIX" "$size"
fi
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$size" /f >/dev/null 2>&1
folder=$WINEPREFIX/drive_c/Snarvik
mkdir -p "$folder"
cp build/mingw/snarvik.exe build/mingw/help.html "$folder/"
echo "run.sh: Snarvik runs in the Wine desktop window; quit it with Exit in its tray menu"
cd "$folder"
status=0
wine 'C:\Snarvik\snarvik.exe' || status=$?
exit "$status"
