#!/bin/sh
# wine-scale.sh LOADER PREFIX DPI [PROGRAM ARGS...]
#     sets the prefix's display scale, LogPixels (96 is 100 %, 120 is 125 %, 144 is 150 %, 192 is
#     200 %), and a virtual desktop of the screen such a scale comes with (1024x768 up to 144,
#     1920x1080 above), then restarts the prefix's wineserver (wine-prefix.sh restart): Wine reads
#     them when its server and desktop start, and draws every program started afterwards at that
#     scale. With a PROGRAM, runs it there through wine-env.sh.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 3 ] || { echo "usage: $0 LOADER PREFIX DPI [PROGRAM ARGS...]" >&2; exit 2; }
loader=$1 prefix=$2 dpi=$3
shift 3
case "$dpi" in
'' | *[!0-9]*) echo "$0: DPI must be a number of pixels per inch such as 96, 120, 144 or 192" >&2; exit 2 ;;
esac
# A prefix found unable to run this loader's programs has no Windows folder to write to: wine-env.sh
# says why and exits 77, which CTest reports as a skip.
[ ! -f "$prefix.cannot-run" ] || exec "$here/wine-env.sh" "$loader" "$prefix"
if [ "$dpi" -le 144 ]; then desktop=1024x768; else desktop=1920x1080; fi
log="$prefix.log"
export WINEPREFIX="$prefix" WINEDEBUG=-all

# Both places that hold the desktop's scale.
logpixels=$(printf 'dword:%08x' "$dpi")
cat >"$prefix/drive_c/qamovup-scale.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=$logpixels

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]
"LogPixels"=$logpixels

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$desktop"
REG
status=0
"$here/wine-env.sh" "$loader" "$prefix" regedit /S 'C:\qamovup-scale.reg' >>"$log" 2>&1 </dev/null || status=$?
# wine-env.sh's 77: this machine cannot run the prefix's programs, which CTest reports as a skip.
[ "$status" = 0 ] || exit "$status"
"$here/wine-prefix.sh" restart "$loader" "$prefix"

[ $# -eq 0 ] || exec "$here/wine-env.sh" "$loader" "$prefix" "$@"
