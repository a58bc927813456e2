#!/bin/sh
# wine-prefix.sh up PREFIX [DLL...]   creates and configures the prefix once, installs the DLLs
#                                     into its system32 and starts its wineserver
# wine-prefix.sh down PREFIX          stops that prefix's wineserver, and no other
set -eu
here=$(cd "$(dirname "$0")" && pwd)
action=$1 prefix=$2; shift 2
export WINEPREFIX="$prefix" WINEDEBUG=-all
log="$prefix.log"

case "$action" in
up)
    mkdir -p "$prefix"
    locale_dir="$prefix/../locale"
    if [ ! -d "$locale_dir/ja_JP.UTF-8" ]; then
        mkdir -p "$locale_dir"
        localedef -i ja_JP -f UTF-8 "$locale_dir/ja_JP.UTF-8" >>"$log" 2>&1 || true
    fi
    # The server and its services inherit no pipe of CTest's, or CTest waits for them.
    if [ ! -f "$prefix/.qamovup-configured" ]; then
        "$here/wine-env.sh" "$prefix" wineboot -i >>"$log" 2>&1 </dev/null
        # regedit reads a version 5 file as UTF-16; the Japanese font names survive only so.
        iconv -f UTF-8 -t UTF-16 "$here/prefix-settings.reg" >"$prefix/drive_c/qamovup-settings.reg"
        "$here/wine-env.sh" "$prefix" regedit /S 'C:\qamovup-settings.reg' >>"$log" 2>&1 </dev/null
        [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" || true
        # The desktop process started by wineboot predates these settings: start afresh.
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        touch "$prefix/.qamovup-configured"
    fi
    for dll in "$@"; do
        cp "$dll" "$prefix/drive_c/windows/system32/"
    done
    # A server already running for this prefix (a second run, a developer's session) is fine.
    wineserver -p >>"$log" 2>&1 </dev/null || true
    "$here/wine-env.sh" "$prefix" cmd /c exit >>"$log" 2>&1 </dev/null
    ;;
down)
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: $0 up|down PREFIX [DLL...]" >&2
    exit 2
    ;;
esac
