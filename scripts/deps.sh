#!/bin/sh
# Installs what building and testing need on Debian 12. Safe to run again: it asks apt only
# when something is missing.
set -eu
packages="cmake make mingw-w64 wine wine64 xvfb x11-utils gcab fonts-ipafont-gothic imagemagick
locales googletest clang libclang-rt-14-dev clang-tidy cppcheck"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing >/dev/null
fi
