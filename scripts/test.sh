#!/bin/sh
# The whole test suite on a fresh Debian 12 machine: installs, builds, runs every test.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QAMOVUP_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$build"
. "$top/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
cd "$build"
ctest --output-on-failure -j2 "$@"
