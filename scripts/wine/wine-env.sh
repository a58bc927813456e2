#!/bin/sh
# wine-env.sh LOADER PREFIX PROGRAM [ARGS...]: runs a Windows program in the prefix with the Wine
# loader named (/usr/lib/wine/wine for 32-bit programs, /usr/lib/wine/wine64 for 64-bit ones),
# quietly and under the prefix's own Japanese locale, so that the desktop's ANSI code page is 932.
# QAMOVUP_WINE_LOCALE names another Unix locale instead. Where the prefix was found unable to run
# the loader's programs (PREFIX.cannot-run, see wine-prefix.sh), it says why and exits 77, which
# CTest reports as a skip.
loader=$1 prefix=$2; shift 2
if [ -f "$prefix.cannot-run" ]; then
    echo "skipped: $(cat "$prefix.cannot-run")" >&2
    exit 77
fi
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ -n "${QAMOVUP_WINE_LOCALE:-}" ]; then
    export LANG="$QAMOVUP_WINE_LOCALE" LC_ALL="$QAMOVUP_WINE_LOCALE"
elif [ -d "$prefix/../locale/ja_JP.UTF-8" ]; then
    export LOCPATH="$prefix/../locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
fi
exec "$loader" "$@"
