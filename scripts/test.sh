#!/bin/sh
# The whole test suite on a fresh Debian 12 machine: installs, builds both targets, then runs the
# fuzzers (20 s each), the static checks, the checks of the 32-bit programs that need no running
# (imports, exports, PE header: no 32-bit code runs on this machine), the release folder's
# assembly, and every unit and end-to-end test of the 64-bit build.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$root"
"$top/scripts/fuzz.sh" 20
"$top/scripts/static-checks.sh"
(cd "$root/i686" && ctest --output-on-failure -L static)
"$top/scripts/release.sh" "$root" >/dev/null
. "$top/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
cd "$root/x86_64"
ctest --output-on-failure -j2 "$@"
