#!/bin/sh
# wine-prefix.sh up LOADER PREFIX [DLL...]
#     creates and configures the prefix once, installs each DLL into the system folder of its own
#     kind (a 32-bit one into syswow64, as on 64-bit Windows; a 64-bit one into system32), checks
#     that LOADER runs a program there and starts the prefix's wineserver. With
#     QAMOVUP_WINE_MAY_SKIP=1, a loader that cannot run is not a failure: the reason is written to
#     PREFIX.cannot-run, and wine-env.sh then skips every program meant for that prefix.
# wine-prefix.sh restart LOADER PREFIX
#     stops that prefix's wineserver and starts it again, with the same check that LOADER runs a
#     program there: Wine reads settings such as the display scale only when its server starts
# wine-prefix.sh down PREFIX
#     stops that prefix's wineserver, and no other
set -eu
here=$(cd "$(dirname "$0")" && pwd)
action=$1
case "$action" in
up | restart) loader=$2 prefix=$3; shift 3 ;;
down) prefix=$2 ;;
*) echo "usage: $0 up LOADER PREFIX [DLL...] | restart LOADER PREFIX | down PREFIX" >&2; exit 2 ;;
esac
export WINEPREFIX="$prefix" WINEDEBUG=-all
log="$prefix.log"
top=$(cd "$here/../.." && pwd)
. "$top/scripts/project.sh"
wine32=$(wine_loader i686)

# The machine of a PE file: 014c for i386, 8664 for x86-64.
pe_machine() {
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' '
}

# The reason goes to PREFIX.cannot-run and the set-up ends there, or the set-up fails.
cannot_run() {
    if [ "${QAMOVUP_WINE_MAY_SKIP:-0}" = 1 ]; then
        echo "$1" >"$prefix.cannot-run"
        echo "skipped: $1"
        exit 0
    fi
    echo "$1" >&2
    exit 1
}

# The prefix's server, and with it the desktop and services it started; WINEPREFIX names the prefix.
stop_server() {
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
}

wine() { "$here/wine-env.sh" "$loader" "$prefix" "$@" >>"$log" 2>&1 </dev/null; }
# The server and its services inherit no pipe of CTest's, or CTest waits for them. A server already
# running for this prefix (a second run, a developer's session) is fine. Starting a program is also
# the probe: a program of the loader's own kind runs in the prefix, or nothing else will.
start_server() {
    wineserver -p >>"$log" 2>&1 </dev/null || true
    wine cmd /c exit || cannot_run "$loader cannot run a program here: $(grep -v '^$' "$log" | tail -n 1)"
}

case "$action" in
down) stop_server; exit 0 ;;
restart) stop_server; start_server; exit 0 ;;
esac

rm -f "$prefix.cannot-run"
[ -x "$loader" ] || cannot_run "no Wine loader $loader (scripts/deps.sh installs it)"
# A prefix made before the 32-bit Wine was installed has no syswow64, and 32-bit programs fail in
# it: it is made afresh, as on a fresh machine.
if [ -d "$prefix/drive_c/windows" ] && [ ! -d "$prefix/drive_c/windows/syswow64" ] && [ -x "$wine32" ]; then
    stop_server
    rm -rf "$prefix"
fi
mkdir -p "$prefix"
locale_dir="$prefix/../locale"
if [ ! -d "$locale_dir/ja_JP.UTF-8" ]; then
    mkdir -p "$locale_dir"
    localedef -i ja_JP -f UTF-8 "$locale_dir/ja_JP.UTF-8" >>"$log" 2>&1 || true
fi
if [ ! -f "$prefix/.qamovup-configured" ]; then
    wine wineboot -i || cannot_run "$loader cannot set up a Wine prefix here: $(tail -n 1 "$log")"
    # regedit reads a version 5 file as UTF-16; the Japanese font names survive only so.
    iconv -f UTF-8 -t UTF-16 "$here/prefix-settings.reg" >"$prefix/drive_c/qamovup-settings.reg"
    wine regedit /S 'C:\qamovup-settings.reg'
    [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" || true
    # The desktop process started by wineboot predates these settings: start afresh.
    stop_server
    touch "$prefix/.qamovup-configured"
fi
for dll in "$@"; do
    case $(pe_machine "$dll") in
    014c) [ -d "$prefix/drive_c/windows/syswow64" ] || cannot_run "the prefix has no syswow64 for 32-bit programs (is wine32 installed?)"
          cp "$dll" "$prefix/drive_c/windows/syswow64/" ;;
    *)    cp "$dll" "$prefix/drive_c/windows/system32/" ;;
    esac
done
start_server
