#!/bin/sh
# The whole test suite on a fresh Debian 12 machine: installs, builds both targets, then runs the
# fuzzers (20 s each), the static checks, the release folder's assembly, its rebuild elsewhere
# compared byte for byte, a release signed with a throwaway certificate (and one whose signing
# fails), the README's signing and rebuild-check commands as written, and the CTest suite of
# each build: build/i686, the 32-bit programs that are handed out, under the 32-bit Wine loader
# as 64-bit Windows runs them (WOW64), then build/x86_64 under the 64-bit loader.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$root"
"$top/scripts/fuzz.sh" 20
"$top/scripts/static-checks.sh"
# The reference for the rebuild is unsigned, whatever the environment says.
env -u QAMOVUP_SIGN_PKCS12 "$top/scripts/release.sh" "$root" >/dev/null
"$top/scripts/check-reproducible.sh" "$root"
"$top/tests/release/check-signed-release.sh" "$root"
"$top/tests/release/readme-commands.sh" "$root"
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
