#!/bin/sh
# throwaway-cert.sh DIR: a self-signed code-signing certificate for the tests, valid for a day:
# DIR/signing.pfx (PKCS#12, key and certificate), DIR/password (its password, one line) and
# DIR/cert.pem (the certificate, for osslsigncode verify -CAfile).
set -eu
dir=$1
for tool in openssl osslsigncode; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "throwaway-cert: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
mkdir -p "$dir"
rm -f "$dir/key.pem" "$dir/cert.pem" "$dir/signing.pfx" "$dir/password"
(umask 077 && openssl rand -hex 16 >"$dir/password")
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/key.pem" -out "$dir/cert.pem" -days 1 \
        -subj "/CN=qamovup throwaway signer" -addext "extendedKeyUsage=codeSigning" 2>"$dir/openssl.log" &&
openssl pkcs12 -export -out "$dir/signing.pfx" -inkey "$dir/key.pem" -in "$dir/cert.pem" \
        -passout "file:$dir/password" 2>>"$dir/openssl.log" ||
    { cat "$dir/openssl.log" >&2; echo "throwaway-cert: openssl could not make the certificate" >&2; exit 1; }
rm -f "$dir/key.pem" "$dir/openssl.log"
