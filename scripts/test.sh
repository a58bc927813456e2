#!/bin/sh
# The whole test suite on a fresh Debian 12 machine: installs, builds, then runs the fuzzers
# (20 s each), the static checks and every unit and end-to-end test.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QAMOVUP_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$build"
"$top/scripts/fuzz.sh" 20
"$top/scripts/static-checks.sh"
. "$top/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
cd "$build"
ctest --output-on-failure -j2 "$@"
