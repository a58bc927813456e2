#!/bin/sh
# readme-commands.sh [BUILD_ROOT]: runs the README's signed-release example and its rebuild check
# exactly as the README gives them, taken from the README's own text, in a copy of the source
# that stands for a clean clone of this commit (its build trees are BUILD_ROOT's): first the
# block that makes a trial certificate and a release signed with it, then, with that release's
# zip and the trial certificate put in the same folder as the README says, the block that holds
# the signed programs against the build. Every command must succeed, and the two cmp commands,
# whose silence the README gives as the sign that the bytes match, must print nothing.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
root=$(cd "$root" && pwd)
. "$top/scripts/project.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-readme.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "readme-commands: FAIL: $*" >&2; exit 1; }

# block TEXT: the README's first ```sh block that holds TEXT.
block() {
    awk -v text="$1" '
        /^```sh$/ { inside = 1; body = ""; next }
        /^```$/ && inside { inside = 0; if (index(body, text)) { printf "%s", body; exit } next }
        inside { body = body $0 "\n" }
    ' "$top/README.md"
}
# A release without the real cabinet carries the rehearsal name where the README shows the real one.
name=$(release_name "$(build_cabinet "$root/i686")")
as_this_release() { sed "s/qamovup-$(project_version)\([^-]\|\$\)/$name\1/g"; }
signing=$(block "throwaway-cert.sh")
rebuild=$(block "remove-signature" | as_this_release)
[ -n "$signing" ] || fail "README.md has no sh block that makes a trial certificate"
[ -n "$rebuild" ] || fail "README.md has no sh block that removes the signatures"

clone=$work/clone
copy_source "$clone"
mkdir "$clone/build"
ln -s "$root/i686" "$clone/build/i686"
ln -s "$root/x86_64" "$clone/build/x86_64"
# The copy has no history: it is told the commit and its time.
export_source_identity

# run NAME SCRIPT: the block run line by line as sh runs it, stopping at the first failure.
run() {
    echo "\$ cd $clone"
    printf '%s\n' "$2" | sed 's/^/$ /'
    (cd "$clone" && env -u QAMOVUP_SIGN_PKCS12 -u QAMOVUP_SIGN_PASSWORD -u QAMOVUP_SIGN_PASSWORD_FILE \
        -u QAMOVUP_SIGN_TIMESTAMP_URL -u QAMOVUP_CABINET -u QAMOVUP_BUILD_DIR sh -e -c "$2") >"$work/$1.log" 2>&1 ||
        { cat "$work/$1.log"; fail "the README's $1 block fails as written"; }
    cat "$work/$1.log"
}

run signing "$signing"
[ -f "$clone/build/release/$name.zip" ] || fail "the signing block made no $name.zip"
cp "$clone/build/release/$name.zip" "$clone/$name.zip"
cp "$clone/trial-cert/cert.pem" "$clone/ca.pem"
echo
run rebuild "$rebuild"
# The README's sign that the bytes match: the two cmp commands print nothing.
printf '%s\n' "$rebuild" | grep -c '^cmp ' | grep -qx 2 || fail "the rebuild block does not hold two cmp commands"
verified=$(grep -c '^Number of verified signatures: 2$' "$work/rebuild.log" || true)
[ "$verified" = 2 ] || fail "the two verify commands did not each find two good signatures"
(cd "$clone" && printf '%s\n' "$rebuild" | grep '^cmp ' | sed 's/#.*//' | sh -e) >"$work/cmp.log" 2>&1 ||
    { cat "$work/cmp.log"; fail "cmp finds a difference"; }
[ ! -s "$work/cmp.log" ] || { cat "$work/cmp.log"; fail "the cmp commands print something"; }
echo "readme-commands: the README's signing and rebuild-check commands run as written; both cmp print nothing"
