#!/bin/sh
# Builds everything, prepares the default simulated handheld and runs the tool against it on a
# Japanese Wine desktop. With a display the tool opens there for you to use; without one it is
# driven through a complete revision-up under Xvfb and screenshots are saved. Afterwards it prints
# what changed on the handheld.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build}
# Only 64-bit programs run on this machine.
build=$root/x86_64
run=$root/run
prefix=$run/wineprefix

"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$root"

. "$top/scripts/xvfb.sh"
interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    interactive=1
else
    start_xvfb
fi
cleanup() {
    "$top/tests/wine/wine-prefix.sh" down "$prefix"
    stop_xvfb
}
trap cleanup EXIT

mkdir -p "$run"
"$top/tests/wine/wine-prefix.sh" up "$prefix" "$build/simhandheld/rapi.dll"
wine() { "$top/tests/wine/wine-env.sh" "$prefix" "$@"; }

handheld=$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$run/handheld")
rm -rf "$run/handheld"
wine "$build/simhandheld/qamosim.exe" prepare "$handheld"
wine "$build/simhandheld/qamosim.exe" show "$handheld" >"$run/handheld-before.txt"

export QAMOVUP_HANDHELD="$handheld"
if [ "$interactive" = 1 ]; then
    echo "qamovup is open on $DISPLAY; close it to see what changed on the handheld."
    wine "$build/app/qamovup.exe" || true
else
    shots=$run/screenshots
    rm -rf "$shots" && mkdir -p "$shots"
    wine "$build/tests/e2e/qamovup_demo.exe" "$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$build/app/qamovup.exe")" \
        "$(WINEPREFIX=$prefix WINEDEBUG=-all winepath -w "$shots")"
    for bmp in "$shots"/*.bmp; do
        [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
    echo "Screenshots: $shots"
fi

wine "$build/simhandheld/qamosim.exe" show "$handheld" >"$run/handheld-after.txt"
echo
echo "The handheld after the run:"
cat "$run/handheld-after.txt"
echo
echo "What changed on the handheld:"
diff "$run/handheld-before.txt" "$run/handheld-after.txt" || true
