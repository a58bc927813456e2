#!/bin/sh
# Builds everything, prepares the default simulated handheld and runs the tool against it on a
# Japanese Wine desktop: the 32-bit qamovup.exe, the program that is handed out, under the 32-bit
# Wine loader as 64-bit Windows runs it (WOW64); QAMOVUP_ARCH=x86_64 runs the 64-bit one instead.
# With a display the tool opens there for you to use; without one it is driven through a complete
# revision-up under Xvfb and screenshots are saved. Afterwards it prints what changed on the handheld.
# QAMOVUP_DPI sets the Wine desktop's display scale in pixels per inch (96, the default, is 100 %;
# 120, 144 and 192 are 125, 150 and 200 %).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build}
arch=${QAMOVUP_ARCH:-i686}
dpi=${QAMOVUP_DPI:-96}
# Room for the larger Wine desktop of the highest scales: what lies beyond the screen is not captured.
[ -z "${QAMOVUP_DPI:-}" ] || export QAMOVUP_XVFB_SCREEN=1920x1080x24
. "$top/scripts/project.sh"
loader=$(wine_loader "$arch")
build=$root/$arch
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
    "$top/scripts/wine/wine-prefix.sh" down "$prefix"
    stop_xvfb
}
trap cleanup EXIT

mkdir -p "$run"
"$top/scripts/wine/wine-prefix.sh" up "$loader" "$prefix" "$build/simhandheld/rapi.dll" "$build/simhandheld/qamosimlink.dll"
# Set every time: the prefix keeps the scale of the run before.
"$top/scripts/wine/wine-scale.sh" "$loader" "$prefix" "$dpi"
wine() { "$top/scripts/wine/wine-env.sh" "$loader" "$prefix" "$@"; }
windows_path() { wine winepath -w "$1"; }

handheld=$(windows_path "$run/handheld")
rm -rf "$run/handheld"
wine "$build/simhandheld/qamosim.exe" prepare "$handheld"
wine "$build/simhandheld/qamosim.exe" show "$handheld" >"$run/handheld-before.txt"

export QAMOVUP_HANDHELD="$handheld"
if [ "$interactive" = 1 ]; then
    echo "qamovup ($arch) is open on $DISPLAY; close it to see what changed on the handheld."
    wine "$build/app/qamovup.exe" || true
else
    shots=$run/screenshots
    rm -rf "$shots" && mkdir -p "$shots"
    wine "$build/demo/qamovup_demo.exe" "$(windows_path "$build/app/qamovup.exe")" "$(windows_path "$shots")"
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
