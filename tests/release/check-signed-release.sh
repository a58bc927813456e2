#!/bin/sh
# check-signed-release.sh [BUILD_ROOT]: makes a release of BUILD_ROOT's programs as they are
# (scripts/release.sh --no-build) with a throwaway certificate, into a folder of its own
# (BUILD_ROOT/release is left alone), and checks
# that what is handed out is what was signed: both programs carry good SHA-1 and nested SHA-256
# signatures and unsign to BUILD_ROOT's programs, SHA256SUMS holds every file of the folder and
# agrees with them, the zip holds exactly the folder's files, byte for byte, and the sums beside
# the zip are the zip's and the folder's. Then signing is made to fail: the release fails, names
# the step, and leaves the earlier release as it was and nothing half-made beside it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
root=$(cd "$root" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-signed-release.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "check-signed-release: FAIL: $*" >&2; exit 1; }

"$here/throwaway-cert.sh" "$work/cert"
QAMOVUP_SIGN_PKCS12=$work/cert/signing.pfx QAMOVUP_SIGN_PASSWORD_FILE=$work/cert/password \
    "$top/scripts/release.sh" --no-build --out "$work/out" "$root" >"$work/release.log" 2>&1 ||
    { cat "$work/release.log" >&2; fail "release.sh failed"; }
grep '^signed ' "$work/release.log"

. "$top/scripts/project.sh"
name=$(release_name "$(build_cabinet "$root/i686")")
folder=$work/out/$name
[ -d "$folder" ] && [ -f "$folder.zip" ] || fail "no $name/ and $name.zip in the output folder"

for pair in qamovup.exe:i686 x64/qamovup.exe:x86_64; do
    program=${pair%%:*} arch=${pair#*:}
    "$here/verify-signatures.sh" "$work/cert/cert.pem" "$folder/$program" >"$work/verify.log" ||
        { cat "$work/verify.log"; fail "$program: the signatures"; }
    osslsigncode remove-signature -in "$folder/$program" -out "$work/unsigned.exe" >/dev/null
    cmp "$work/unsigned.exe" "$root/$arch/app/qamovup.exe" || fail "$program unsigned is not $root/$arch/app/qamovup.exe"
    rm -f "$work/unsigned.exe"
    echo "$program: SHA-1 and nested SHA-256 signatures verify; unsigned, it is $arch/app/qamovup.exe"
done

# The sums: every file but SHA256SUMS itself, each one right.
(cd "$folder" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort) >"$work/files"
sed 's/^[0-9a-f]*  //' "$folder/SHA256SUMS" | LC_ALL=C sort >"$work/summed"
cmp -s "$work/files" "$work/summed" ||
    { diff "$work/files" "$work/summed" >&2 || true; fail "SHA256SUMS does not list exactly the folder's files"; }
(cd "$folder" && sha256sum -c SHA256SUMS) || fail "SHA256SUMS disagrees with the folder"

# The zip: the folder's files and SHA256SUMS, no more, no less, the same bytes.
(cd "$work/out" && find "$name" -type f | LC_ALL=C sort) >"$work/folder-files"
unzip -Z1 "$folder.zip" | LC_ALL=C sort >"$work/zip-members"
cmp -s "$work/folder-files" "$work/zip-members" ||
    { diff "$work/folder-files" "$work/zip-members" >&2 || true; fail "the zip's members are not the folder's files"; }
while IFS= read -r member; do
    unzip -p "$folder.zip" "$member" | cmp -s - "$work/out/$member" || fail "$member in the zip differs from the folder's"
done <"$work/zip-members"
unzip -l "$folder.zip"

# The sums to publish apart from the zip.
(cd "$work/out" && sha256sum -c "$name.zip.sha256") || fail "$name.zip.sha256 is not the zip's sum"
cmp -s "$folder/SHA256SUMS" "$work/out/$name.SHA256SUMS" || fail "$name.SHA256SUMS is not the folder's SHA256SUMS"
echo "check-signed-release: the signed release's SHA256SUMS and zip hold exactly its signed programs and files"

# A signing that fails: release.sh fails, says at which step, and leaves OUT as it was, the
# earlier release in it (if any) whole and no partial folder, zip or assembly folder beside it.
# signing_fails CASE OUT VARIABLE=VALUE...
signing_fails() {
    case_name=$1 out=$2
    shift 2
    mkdir -p "$out"
    listing() { (cd "$out" && find . | LC_ALL=C sort | while IFS= read -r f; do
        if [ -f "$f" ]; then echo "$f $(sha256sum <"$f")"; else echo "$f"; fi; done); }
    listing >"$work/before"
    status=0
    env QAMOVUP_SIGN_PKCS12="$work/cert/signing.pfx" QAMOVUP_SIGN_PASSWORD_FILE="$work/cert/password" "$@" \
        "$top/scripts/release.sh" --no-build --out "$out" "$root" >"$work/failed.log" 2>&1 || status=$?
    [ "$status" != 0 ] || { cat "$work/failed.log"; fail "$case_name: release.sh succeeded"; }
    tail -n1 "$work/failed.log" | grep -q "^release: FAILED at: signing qamovup.exe" ||
        { cat "$work/failed.log"; fail "$case_name: the last line does not name the signing step"; }
    listing >"$work/after"
    cmp -s "$work/before" "$work/after" ||
        { diff "$work/before" "$work/after" || true; fail "$case_name: $out changed"; }
    echo "$case_name: exit $status, $out as it was; $(tail -n1 "$work/failed.log")"
}
signing_fails "no earlier release, a wrong password" "$work/empty" QAMOVUP_SIGN_PASSWORD_FILE= QAMOVUP_SIGN_PASSWORD=wrong
signing_fails "an earlier release, an unreachable time-stamping server" "$work/out" QAMOVUP_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/
echo "check-signed-release: a release whose signing fails leaves nothing half-made"
