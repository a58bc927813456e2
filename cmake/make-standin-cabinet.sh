#!/bin/sh
# make-standin-cabinet.sh GCAB OUTPUT PAYLOAD_BYTES
set -eu
gcab=$1 out=$2 size=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The count in each line makes every chunk of the payload different, so a chunk written
# twice or out of order cannot go unnoticed.
awk 'BEGIN { for (i = 0; ; i++) printf "qamo+ for Handheld stand-in installer payload line %09d\n", i }' \
    2>/dev/null | head -c "$size" >"$work/payload.bin" || true
[ "$(wc -c <"$work/payload.bin")" -eq "$size" ]
touch -d @1704067200 "$work/payload.bin"
mkdir -p "$(dirname "$out")"
(cd "$work" && "$gcab" -c -n out.cab payload.bin)
mv "$work/out.cab" "$out"
