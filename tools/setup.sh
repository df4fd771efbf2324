#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine.
# Safe to run again: each step checks whether its work is already done.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
third=$top/third_party

need=(mingw-w64 wine wine64 xvfb xdotool imagemagick x11-utils lzma-dev librapidxml-dev libstb-dev time bc
      libgtest-dev fonts-wqy-microhei cmake python3 clang libclang-rt-14-dev xz-utils dpkg-dev g++
      librsvg2-bin libssl-dev osslsigncode openssl nsis)
missing=()
for p in "${need[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Lua 5.2.4 comes from Debian's source package; only the sources are used.
mkdir -p "$third"
if [ ! -f "$third/lua5.2-5.2.4/src/lapi.c" ]; then
    if ! ls "$third"/lua5.2_5.2.4.orig.tar.gz >/dev/null 2>&1; then
        if [ ! -f /etc/apt/sources.list.d/deb-src.sources ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
            sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
                $SUDO tee /etc/apt/sources.list.d/deb-src.sources >/dev/null
            $SUDO apt-get update -qq
        fi
        (cd "$third" && apt-get source --download-only lua5.2 >/dev/null 2>&1) || {
            $SUDO apt-get update -qq
            (cd "$third" && apt-get source --download-only lua5.2 >/dev/null)
        }
    fi
    tar -C "$third" -xzf "$third"/lua5.2_5.2.4.orig.tar.gz
fi
echo "setup: dependencies ready"
