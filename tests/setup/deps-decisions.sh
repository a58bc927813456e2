#!/bin/sh
# deps-decisions.sh DEPS_SH: runs scripts/deps.sh against a stand-in apt-get (and dpkg, dpkg-query,
# sudo and sleep) on PATH, one case per row: each row's stand-in answers its calls in turn as apt
# does on a good mirror, on one in the middle of a sync, or with another failure. No network, and
# the machine's apt is never called.
set -eu
deps=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-deps-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$release" ] || { echo "SKIP: /etc/os-release names no release"; exit 0; }

mkdir "$work/bin"
# apt-get: each call is written down and answered by the next word of $STUB/plan.
cat >"$work/bin/apt-get" <<'STUB'
#!/bin/sh
echo "$*" >>"$STUB/calls"
n=$(($(wc -l <"$STUB/calls")))
case $(sed -n "${n}p" "$STUB/plan") in
ok) exit 0 ;;
mirror)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (40072 != 40960). Mirror sync in progress? [IP: 151.101.2.132 80]" >&2
    echo "   Hashes of expected file:" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
skew)
    echo "Some packages could not be installed. This may mean that you have"
    echo "The following packages have unmet dependencies:"
    echo " wine32:i386 : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100 ;;
unknown)
    echo "E: Unable to locate package wine32" >&2
    exit 100 ;;
*) echo "stand-in apt-get: call $n was not planned: $*" >&2; exit 99 ;;
esac
STUB
cat >"$work/bin/dpkg" <<'STUB'
#!/bin/sh
[ "$1" = --print-foreign-architectures ] && echo i386
STUB
# Every package is installed but those named in $STUB/missing.
cat >"$work/bin/dpkg-query" <<'STUB'
#!/bin/sh
for p; do :; done
grep -qx "$p" "$STUB/missing" && exit 1
printf 'install ok installed'
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
printf '#!/bin/sh\necho "$*" >>"$STUB/sleeps"\n' >"$work/bin/sleep"
chmod +x "$work/bin/"*

failures=0
# check NAME MISSING PLAN EXPECTED_STATUS EXPECTED_CALLS... : one line per apt-get call, then
# checks on the output: "says TEXT" and "never TEXT".
check() {
    name=$1 missing=$2 plan=$3 want_status=$4
    shift 4
    STUB=$work/$name
    mkdir "$STUB"
    printf '%s\n' $missing >"$STUB/missing"
    printf '%s\n' $plan >"$STUB/plan"
    : >"$STUB/calls"
    : >"$STUB/sleeps"
    status=0
    STUB=$STUB PATH="$work/bin:$PATH" sh "$deps" >"$STUB/output" 2>&1 || status=$?
    problems=""
    [ "$status" = "$want_status" ] || problems="$problems; exit status $status, wanted $want_status"
    : >"$STUB/want-calls"
    while [ $# -gt 0 ]; do
        case "$1" in
        says) grep -qF -- "$2" "$STUB/output" || problems="$problems; does not say '$2'"; shift 2 ;;
        never) ! grep -qF -- "$2" "$STUB/output" || problems="$problems; says '$2'"; shift 2 ;;
        last) [ "$(tail -n1 "$STUB/output")" = "$2" ] || problems="$problems; last line is not '$2'"; shift 2 ;;
        sleeps) [ "$(tr '\n' ' ' <"$STUB/sleeps")" = "$2" ] || problems="$problems; slept '$(tr '\n' ' ' <"$STUB/sleeps")'"; shift 2 ;;
        *) echo "$1" >>"$STUB/want-calls"; shift ;;
        esac
    done
    cmp -s "$STUB/calls" "$STUB/want-calls" ||
        problems="$problems; apt-get calls: $(tr '\n' '|' <"$STUB/calls") wanted $(tr '\n' '|' <"$STUB/want-calls")"
    if [ -n "$problems" ]; then
        echo "FAIL: $name${problems}"
        sed 's/^/    | /' "$STUB/output"
        failures=$((failures + 1))
    else
        echo "PASS: $name"
    fi
}

install="install -y -qq wine32:i386"
hint="deps: apt-get failed (its message is above); check the network and the package sources (/etc/apt/sources.list*), then run scripts/deps.sh again"
check nothing-missing-asks-apt-nothing "" "" 0
check a-good-mirror-updates-once-and-installs wine32:i386 "ok ok" 0 \
    "update -qq" "$install" sleeps "" never "deps:"
check an-index-that-comes-back-is-read-on-a-later-try wine32:i386 "mirror ok ok" 0 \
    "update -qq" "update -qq" "$install" sleeps "20 " never "going on"
check an-index-still-mid-sync-after-a-minute-is-left-out wine32:i386 "mirror mirror mirror mirror ok" 0 \
    "update -qq" "update -qq" "update -qq" "update -qq" "$install" sleeps "20 20 20 " \
    says "Mirror sync in progress?" says "deps: apt-get update still fails after 4 tries (E: Failed to fetch" says "Mirror sync in progress? [IP: 151.101.2.132 80]); going on" \
    says "going on with the package lists apt has" never "Default-Release"
check versions-that-disagree-get-the-releases-own-for-both wine32:i386 "mirror mirror mirror mirror skew ok" 0 \
    "update -qq" "update -qq" "update -qq" "update -qq" "$install" \
    "install -y -qq -o APT::Default-Release=$release wine32:i386" \
    says "installing $release's own versions for both (-o APT::Default-Release=$release)" never "$hint"
check any-other-install-failure-ends-with-apts-message-and-a-hint wine32:i386 "ok unknown" 1 \
    "update -qq" "$install" says "E: Unable to locate package wine32" last "$hint" never "Default-Release"
check the-rebuild-tools-come-without-what-they-recommend "wine32:i386 reprotest diffoscope-minimal" "ok ok ok" 0 \
    "update -qq" "$install" "install -y -qq --no-install-recommends reprotest diffoscope-minimal" never "deps:"
check the-releases-own-versions-failing-too-ends-with-a-hint wine32:i386 "ok skew skew" 1 \
    "update -qq" "$install" "install -y -qq -o APT::Default-Release=$release wine32:i386" \
    says "held broken packages" last "$hint"

[ "$failures" = 0 ] || { echo "$failures case(s) failed"; exit 1; }
