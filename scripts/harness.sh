#!/usr/bin/env bash
# The Wine test harness, to be sourced:
#   harness_up [WxH]   private Xvfb on a free display, a template prefix made for this run, and a
#                      copy of it with a kept wineserver for the Win32 tests (WINEPREFIX)
#   harness_down       stops every wineserver of the run and the Xvfb
#   harness_copy DST   a fresh scenario prefix copied from the template
# Screen size: argument, else SNARVIK_SCREEN, else 1920x1080. Work folder: SNARVIK_HARNESS_DIR,
# else build/harness. Exports DISPLAY, SNARVIK_DISPLAY, SNARVIK_SCREEN, SNARVIK_TEMPLATE_PREFIX,
# WINEPREFIX, WINEARCH, WINEDEBUG, WINEDLLOVERRIDES, and a UTF-8 locale: Wine turns names in any
# script into file names only under one. The Win32 tests' prefix gets a full disk as drive T:
# (a 256 KB RAM disk; mounting it needs root).
# Safe under `set -e`: a stop of what is already gone is no failure, so harness_down always gets
# to the Xvfb.

SNARVIK_ROOT=${SNARVIK_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
_harness_xvfb_pid=
_harness_prefixes=()
_harness_disk=

_harness_log() { printf 'harness: %s\n' "$*" >&2; }

# Starts Xvfb on the first free display from 200 up (developers use lower numbers by hand).
harness_start_xvfb() {
    local size=$1 n
    for ((n = 200; n < 400; n++)); do
        [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset \
            >/dev/null 2>&1 &
        _harness_xvfb_pid=$!
        local i
        for ((i = 0; i < 100; i++)); do
            if ! kill -0 "$_harness_xvfb_pid" 2>/dev/null; then
                break  # lost the race for this display: try the next one
            fi
            if timeout 2 xdpyinfo -display ":$n" >/dev/null 2>&1; then
                export DISPLAY=":$n" SNARVIK_DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$_harness_xvfb_pid" 2>/dev/null || true
        wait "$_harness_xvfb_pid" 2>/dev/null || true
        _harness_xvfb_pid=
    done
    _harness_log "could not start Xvfb"
    return 1
}

# Copies the template: the large, never-written DLL folders are hard-linked, the rest copied.
harness_copy() {
    local src=${SNARVIK_TEMPLATE_PREFIX:?no template prefix} dst=$1 entry
    rm -rf "$dst"
    mkdir -p "$dst"
    (
        shopt -s dotglob nullglob
        for entry in "$src"/*; do
            [[ $entry == "$src/drive_c" ]] || cp -a "$entry" "$dst/"
        done
        mkdir -p "$dst/drive_c/windows"
        for entry in "$src"/drive_c/*; do
            [[ $entry == "$src/drive_c/windows" ]] || cp -a "$entry" "$dst/drive_c/"
        done
        for entry in "$src"/drive_c/windows/*; do
            case ${entry##*/} in
            system32 | syswow64) cp -al "$entry" "$dst/drive_c/windows/" ;;
            *) cp -a "$entry" "$dst/drive_c/windows/" ;;
            esac
        done
    )
}

# Starts a kept wineserver for PREFIX and its first programs (desktop, services).
harness_wine_start() {
    local prefix=$1
    WINEPREFIX=$prefix timeout 30 wineserver -p || return 1
    _harness_prefixes+=("$prefix")
    # The first wine process leaves services holding its stdout open: never a pipe here.
    WINEPREFIX=$prefix timeout -k 5 60 wine cmd /c exit 0 >/dev/null 2>&1 </dev/null
}

harness_wine_stop() {
    local prefix=$1
    WINEPREFIX=$prefix timeout 20 wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix timeout 20 wineserver -w 2>/dev/null || true
}

harness_up() {
    local size=${1:-${SNARVIK_SCREEN:-1920x1080}}
    local dir=${SNARVIK_HARNESS_DIR:-$SNARVIK_ROOT/build/harness}
    export SNARVIK_SCREEN=$size SNARVIK_HARNESS_DIR=$dir LANG=C.UTF-8 LC_ALL=C.UTF-8
    export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$dir"
    harness_start_xvfb "$size" || return 1
    _harness_log "display $DISPLAY at $size"
    export SNARVIK_TEMPLATE_PREFIX=$dir/template-$size
    if ! "$SNARVIK_ROOT/scripts/make-prefix" "$SNARVIK_TEMPLATE_PREFIX" "$size"; then
        _harness_log "could not make the template prefix"
        return 1
    fi
    export WINEPREFIX=$dir/wintests-$size
    harness_copy "$WINEPREFIX" || return 1
    _harness_disk=$dir/full-disk
    mkdir -p "$_harness_disk"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo -n)
    if "${sudo[@]}" mount -t tmpfs -o size=256k tmpfs "$_harness_disk"; then
        ln -sfn "$_harness_disk" "$WINEPREFIX/dosdevices/t:"
    else
        _harness_log "could not mount the full disk (drive T:)"
        _harness_disk=
    fi
    harness_wine_start "$WINEPREFIX" || {
        _harness_log "wine does not start in $WINEPREFIX"
        return 1
    }
}

harness_down() {
    local prefix
    for prefix in "${_harness_prefixes[@]}"; do
        harness_wine_stop "$prefix"
    done
    _harness_prefixes=()
    if [[ -n $_harness_disk ]]; then
        if [[ $(id -u) -eq 0 ]]; then umount "$_harness_disk"; else sudo -n umount "$_harness_disk"; fi 2>/dev/null ||
            _harness_log "could not unmount $_harness_disk"
        _harness_disk=
    fi
    if [[ -n $_harness_xvfb_pid ]]; then
        kill "$_harness_xvfb_pid" 2>/dev/null || true
        wait "$_harness_xvfb_pid" 2>/dev/null || true
        _harness_xvfb_pid=
    fi
}
