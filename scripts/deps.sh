#!/bin/sh
# Installs what building, testing, signing and releasing need on Debian 12. Safe to run again: it
# asks apt only when something is missing. Run as root, or as a user who may use sudo: apt is then
# called through sudo.
#
# A package mirror in the middle of a sync can fail one index for a while ("File has unexpected
# size ... Mirror sync in progress?"). apt-get update is then tried again for about a minute; if an
# index still cannot be read, the install goes on with the lists apt has. Where those lists give the
# two architectures different versions (the 64-bit packages from the security suite, the 32-bit
# ones from the release), wine32:i386 cannot be installed beside wine64: the install is then made
# again with the release's own versions for both (APT::Default-Release).
set -eu
# wine32 (i386) runs the 32-bit programs, as WOW64 does on 64-bit Windows; wine64 runs the others.
packages="cmake make mingw-w64 wine wine64 wine32:i386 xvfb x11-utils gcab fonts-ipafont-gothic
imagemagick locales googletest clang libclang-rt-14-dev clang-tidy cppcheck osslsigncode openssl zip
unzip"
# The rebuild check's tools (Debian's reproducible-builds tools, and locales-all for the locales
# they build under), installed without what they recommend: diffoscope-minimal alone recommends
# some four hundred packages of readers for formats this project does not make.
lean_packages="reprotest faketime disorderfs diffoscope-minimal locales-all"
update_tries=4 update_wait_seconds=20
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture"
    $sudo dpkg --add-architecture i386
    added_i386=1
fi
# missing PACKAGE...: those not installed.
missing() {
    for p; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || printf ' %s' "$p"
    done
}
# shellcheck disable=SC2086
missing=$(missing $packages) missing_lean=$(missing $lean_packages)
[ -n "$missing$missing_lean" ] || [ "$added_i386" = 1 ] || exit 0

echo "Installing:$missing$missing_lean"
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-deps.XXXXXX")
trap 'rm -rf "$log"' EXIT
fail() {
    cat "$log/out" "$log/err" >&2
    echo "deps: apt-get failed (its message is above); check the network and the package sources (/etc/apt/sources.list*), then run scripts/deps.sh again" >&2
    exit 1
}

try=1 note=""
until $sudo apt-get update -qq 2>"$log/err"; do
    if [ "$try" -ge "$update_tries" ]; then
        note="deps: apt-get update still fails after $try tries ($(grep -m1 '^E: ' "$log/err" | cut -c1-240)); going on with the package lists apt has"
        break
    fi
    try=$((try + 1))
    sleep "$update_wait_seconds"
done
cat "$log/err" >&2
[ -z "$note" ] || echo "$note" >&2

# install [APT_OPTION...] PACKAGE...: where the lists give the two architectures different versions,
# again with the release's own versions for both.
install() {
    if $sudo apt-get install -y -qq "$@" >"$log/out" 2>"$log/err"; then
        cat "$log/err" >&2
        return 0
    fi
    grep -q -e 'unmet dependencies' -e 'held broken packages' "$log/out" "$log/err" || fail
    release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$release" ] || fail
    echo "deps: the package lists give the two architectures different versions (a mirror mid-sync?); installing $release's own versions for both (-o APT::Default-Release=$release)" >&2
    $sudo apt-get install -y -qq -o APT::Default-Release="$release" "$@" >"$log/out" 2>"$log/err" || fail
    cat "$log/err" >&2
}
# shellcheck disable=SC2086
[ -z "$missing" ] || install $missing
# shellcheck disable=SC2086
[ -z "$missing_lean" ] || install --no-install-recommends $missing_lean
