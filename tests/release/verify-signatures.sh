#!/bin/sh
# verify-signatures.sh CA_PEM PROGRAM: prints osslsigncode's own verification of PROGRAM and
# fails unless it finds two good signatures, SHA-1 first, then the nested SHA-256 one.
set -eu
ca=$1 program=$2
report=$(osslsigncode verify -CAfile "$ca" -in "$program" 2>&1) ||
    { printf '%s\n' "$report"; echo "FAIL: $program does not verify"; exit 1; }
printf '%s\n' "$report"
digests=$(printf '%s\n' "$report" | sed -n 's/^Message digest algorithm  *: *\([A-Z0-9]*\) *$/\1/p' | tr '\n' ' ')
oks=$(printf '%s\n' "$report" | grep -c '^Signature verification: ok$' || true)
if [ "$digests" != "SHA1 SHA256 " ] || [ "$oks" != 2 ]; then
    echo "FAIL: $program: wanted a good SHA-1 signature and a good nested SHA-256 one; found digests '$digests', $oks good"
    exit 1
fi
