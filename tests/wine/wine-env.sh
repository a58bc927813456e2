#!/bin/sh
# wine-env.sh PREFIX PROGRAM [ARGS...]: runs a Windows program in the test prefix, quietly and
# under the prefix's own Japanese locale, so that the desktop's ANSI code page is 932.
prefix=$1; shift
export WINEPREFIX="$prefix" WINEDEBUG=-all
if [ -d "$prefix/../locale/ja_JP.UTF-8" ]; then
    export LOCPATH="$prefix/../locale" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
fi
exec "${QAMOVUP_WINE:-wine}" "$@"
