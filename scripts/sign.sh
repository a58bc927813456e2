#!/bin/sh
# sign.sh IN OUT: signs the program IN with Authenticode into OUT, twice with the one certificate:
# over its SHA-1 hash, and nested under that, over its SHA-256 hash, so that a Windows that reads
# only one of the two hashes still finds a signature to check. Then it makes sure that removing
# the signatures gives back IN byte for byte, so that anyone can hold the signed program against a
# rebuild of its commit.
#
#   QAMOVUP_SIGN_PKCS12          the certificate and its private key, a PKCS#12 (.pfx) file
#   QAMOVUP_SIGN_PASSWORD_FILE   a file holding its password (trailing line ends are dropped), or
#   QAMOVUP_SIGN_PASSWORD        the password itself; neither for a file without a password
#   QAMOVUP_SIGN_TIMESTAMP_URL   optional: a time-stamping server that answers both the legacy
#                                Authenticode requests (for the SHA-1 signature, which is all
#                                XP reads) and RFC 3161 ones (for the SHA-256 signature)
#
# The password never goes on a command line: osslsigncode reads it from the file, or from a
# pipe on descriptor 3.
set -eu
[ $# -eq 2 ] || { echo "usage: $0 IN OUT" >&2; exit 2; }
in=$1 out=$2
pkcs12=${QAMOVUP_SIGN_PKCS12:-}
password_file=${QAMOVUP_SIGN_PASSWORD_FILE:-}
# Kept in this shell only: osslsigncode's environment does not carry it.
password=${QAMOVUP_SIGN_PASSWORD:-}
unset QAMOVUP_SIGN_PASSWORD
url=${QAMOVUP_SIGN_TIMESTAMP_URL:-}

command -v osslsigncode >/dev/null 2>&1 ||
    { echo "sign: osslsigncode is missing (scripts/deps.sh installs it)" >&2; exit 1; }
[ -n "$pkcs12" ] || { echo "sign: QAMOVUP_SIGN_PKCS12 names no certificate" >&2; exit 1; }
[ -r "$pkcs12" ] || { echo "sign: cannot read the certificate $pkcs12" >&2; exit 1; }
[ -r "$in" ] || { echo "sign: cannot read $in" >&2; exit 1; }
if [ -n "$password_file" ] && [ ! -r "$password_file" ]; then
    echo "sign: cannot read the password file $password_file" >&2
    exit 1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT

# sign_once HASH TIMESTAMP_OPTION IN OUT [OPTION...]
sign_once() {
    hash=$1 stamp=$2 from=$3 to=$4
    shift 4
    set -- sign -pkcs12 "$pkcs12" -h "$hash" -n qamovup "$@"
    [ -z "$url" ] || set -- "$@" "$stamp" "$url"
    if [ -n "$password_file" ]; then
        osslsigncode "$@" -readpass "$password_file" -in "$from" -out "$to" >"$work/log" 2>&1
    elif [ -n "$password" ]; then
        osslsigncode "$@" -readpass /dev/fd/3 -in "$from" -out "$to" >"$work/log" 2>&1 3<<EOF
$password
EOF
    else
        osslsigncode "$@" -in "$from" -out "$to" >"$work/log" 2>&1
    fi || { echo "sign: the $hash signature of $in failed:" >&2; cat "$work/log" >&2; exit 1; }
}
sign_once sha1 -t "$in" "$work/sha1.exe"
sign_once sha256 -ts "$work/sha1.exe" "$work/signed.exe" -nest

# Signing pads the program to a multiple of 8 bytes and removing the signatures recomputes the
# PE checksum: the round trip gives back the program only if the linker already did both.
osslsigncode remove-signature -in "$work/signed.exe" -out "$work/unsigned.exe" >"$work/log" 2>&1 ||
    { echo "sign: removing the signatures of the signed $in failed:" >&2; cat "$work/log" >&2; exit 1; }
if ! cmp -s "$in" "$work/unsigned.exe"; then
    size=$(wc -c <"$in")
    echo "sign: $in signed cannot be checked against a rebuild: without its signatures it is" >&2
    echo "      not the same file (size $size bytes, $((size % 8)) past a multiple of 8; the PE" >&2
    echo "      checksum must be the one the linker computes; cmp: $(cmp "$in" "$work/unsigned.exe" 2>&1 || true))" >&2
    exit 1
fi
mkdir -p "$(dirname "$out")"
cp "$work/signed.exe" "$out"
echo "signed $out: SHA-1, nested SHA-256${url:+, time-stamped by $url}"
