#!/usr/bin/env bash
# Installs what building and testing Snarvik needs on Debian 12. A ready machine does no apt work.
# Can be sourced or run.
snarvik_setup() {
    local packages=(g++ make wine wine64 xvfb xdotool imagemagick python3-pil g++-mingw-w64-x86-64-posix
        cmake googletest libgtest-dev libpng-dev zlib1g-dev libz-mingw-w64-dev liblnk-utils xclip
        clang-format x11-utils python3 coreutils procps nsis)
    local missing=() p status
    for p in "${packages[@]}"; do
        status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
        [[ $status == *" installed" ]] || missing+=("$p")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0

    echo "setup: installing ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then
        command -v sudo >/dev/null || { echo "setup: need root or sudo to install packages" >&2; return 1; }
        sudo=(sudo)
    fi
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q || return 1
    "${sudo[@]}" apt-get install -y -q "${missing[@]}" || return 1
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
    snarvik_setup
else
    snarvik_setup || return 1
fi
