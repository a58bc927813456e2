#!/bin/sh
# check-exports.sh OBJDUMP DEF DLL: the library exports exactly the names its .def file lists, as
# they stand there. A 32-bit __stdcall export left decorated (CeRapiInitEx@4) is not found by
# GetProcAddress(module, "CeRapiInitEx").
set -eu
objdump=$1 def=$2 dll=$3
name=$(basename "$dll")
want=$(awk '/^EXPORTS/ { on = 1; next } on && NF > 0 { print $1 }' "$def" | sort)
have=$("$objdump" -p "$dll" | awk '
    /^\[Ordinal\/Name Pointer\] Table/ { on = 1; next }
    on && NF == 0 { exit }
    on { print $NF }' | sort)
if [ "$want" = "$have" ]; then
    echo "$name: exports the $(printf '%s\n' "$want" | wc -l) names of $(basename "$def")"
    exit 0
fi
echo "$name: its exports differ from $(basename "$def"):"
printf '%s\n' "$want" | HAVE=$have awk '
    BEGIN { n = split(ENVIRON["HAVE"], list, "\n"); for (i = 1; i <= n; i++) have[list[i]] = 1 }
    { want[$0] = 1; if (!($0 in have)) print "  missing: " $0 }
    END { for (name in have) if (!(name in want)) print "  unexpected: " name }'
exit 1
