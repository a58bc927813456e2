#!/bin/sh
# The whole test suite on a fresh Debian 12 machine: installs what is needed, builds both targets,
# then runs the CTest suite of each: build/i686, the 32-bit programs that are handed out, under the
# 32-bit Wine loader as 64-bit Windows runs them (WOW64), then build/x86_64 under the 64-bit
# loader. Both suites hold the release checks (label release); the 64-bit one also the fuzzers and
# the static analysis (label analysis). Arguments go to each ctest, e.g. -L release.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$root"
. "$top/scripts/xvfb.sh"
start_xvfb
trap stop_xvfb EXIT
status=0
for arch in i686 x86_64; do
    echo "CTest of build/$arch"
    (cd "$root/$arch" && ctest --output-on-failure -j2 "$@") || status=1
    # Set by the prefix's set-up where this machine cannot run the build's programs.
    if [ -f "$root/$arch/wineprefix.cannot-run" ]; then
        echo "build/$arch: the tests that run programs were skipped: $(cat "$root/$arch/wineprefix.cannot-run")"
    fi
done
exit $status
