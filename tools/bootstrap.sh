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
    # make test's last figure: how much of the code is tests.
    cloc
    # Wine takes a program's ANSI code page from the locale: the Windows tests
    # of names in a double-byte code page run in Japanese (code page 932).
    locales
)
# The locales those tests need, generated once.
locales_needed=(ja_JP.UTF-8)

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

# "ja_JP.UTF-8" is listed by locale -a as "ja_JP.utf8".
generated() {
    locale -a 2>/dev/null | grep -qix "${1/UTF-8/utf8}"
}

missing=()
for package in "${packages[@]}"; do
    installed "$package" || missing+=("$package")
done
missing_locales=()
for name in "${locales_needed[@]}"; do
    generated "$name" || missing_locales+=("$name")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

needed=("${missing[@]}" "${missing_locales[@]}")
echo "bootstrap: installing ${needed[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "bootstrap: run as root (or with sudo) to install packages" >&2
    exit 1
fi
if [ ${#missing[@]} -gt 0 ]; then
    # 32-bit Wine comes from the i386 architecture.
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
# Listed in locale.gen, so that a later locale-gen keeps them.
for name in "${missing_locales[@]}"; do
    sed -i "s/^# *\($name UTF-8\)\$/\1/" /etc/locale.gen
    grep -qx "$name UTF-8" /etc/locale.gen || echo "$name UTF-8" >>/etc/locale.gen
done
[ ${#missing_locales[@]} -eq 0 ] || locale-gen >/dev/null
