#!/bin/sh
# Installs what building, testing, signing and releasing need on Debian 12. Safe to run again: it
# asks apt only when something is missing. Run as root, or as a user who may use sudo: apt is then
# called through sudo.
set -eu
# wine32 (i386) runs the 32-bit programs, as WOW64 does on 64-bit Windows; wine64 runs the others.
packages="cmake make mingw-w64 wine wine64 wine32:i386 xvfb x11-utils gcab fonts-ipafont-gothic
imagemagick locales googletest clang libclang-rt-14-dev clang-tidy cppcheck osslsigncode openssl zip
unzip"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture"
    $sudo dpkg --add-architecture i386
    added_i386=1
fi
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ] || [ "$added_i386" = 1 ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    [ -z "$missing" ] || $sudo apt-get install -y -qq $missing >/dev/null
fi
