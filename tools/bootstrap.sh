#!/usr/bin/env bash
# Installs, with apt-get, whatever this project needs to build and test and
# the machine lacks. Quiet and quick when everything is there.
set -euo pipefail

packages=(
    cmake make g++ clang-format googletest clang libclang-rt-14-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    wine wine32:i386 wine64 xvfb
    # Wine's own stand-ins for the Windows system fonts, without which the
    # window's captions and close box are drawn with the wrong glyphs.
    fonts-wine
    # make dist and its tests: the Debian package (shared-library
    # dependencies, lintian), the Windows zip, the man page.
    dpkg-dev file lintian zip unzip man-db
)

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "bootstrap: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: run as root (or with sudo) to install packages" >&2
    exit 1
fi
# 32-bit Wine comes from the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
