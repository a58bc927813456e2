#!/bin/sh
# release.sh [--out DIR] [--no-build] [BUILD_ROOT]: builds both targets if need be, checks the
# programs to be handed out against their oldest desktops, signs them when given a certificate,
# and makes, in DIR (BUILD_ROOT/release unless --out names another), the release NAME/:
#   qamovup.exe                     the 32-bit tool, for every desktop (Windows XP SP3 to 11)
#   x64/qamovup.exe                 the 64-bit tool, for 64-bit Windows when the service desk says so
#   simhandheld/x86/, simhandheld/x64/   the simulated handheld: rapi.dll, qamosimlink.dll, qamosim.exe
#   guide-ja.txt                    the users' guide (UTF-8 with a byte-order mark, CRLF: XP's Notepad)
#   BUILDINFO                       what built it (scripts/buildinfo.sh): commit, SOURCE_DATE_EPOCH,
#                                   cabinet, and the exact version of every package that made its bytes
#   SHA256SUMS                      sha256sum's format, paths with forward slashes
# NAME.zip, the same folder in one file to hand out, which Windows XP's own zip support opens, and
# beside it, to be published apart from the zip (a zip that was swapped brings matching sums of
# its own): NAME.zip.sha256, the zip's sum, and NAME.SHA256SUMS, a copy of the folder's sums.
# NAME is qamovup-VERSION with the real installer (QAMOVUP_CABINET), qamovup-VERSION-rehearsal
# with the stand-in cabinet, which installs nothing on a real handheld.
#
# All or nothing: the release is assembled in a hidden folder beside DIR's and moved into place
# only once every step, signing included, has succeeded. A release that fails leaves nothing in
# DIR and keeps an earlier release of the same name as it was, a complete one that may still be
# handed out; its last line names the failed step and that earlier release.
#
# --no-build takes BUILD_ROOT's programs as they are, without building or checking them
# (check-reproducible.sh compares such a release with a checked one).
#
# Signing (scripts/sign.sh): QAMOVUP_SIGN_PKCS12 names a PKCS#12 file, QAMOVUP_SIGN_PASSWORD_FILE
# or QAMOVUP_SIGN_PASSWORD gives its password, QAMOVUP_SIGN_TIMESTAMP_URL an optional
# time-stamping server. Without a certificate the programs are handed out unsigned.
#
# Rebuilt from the same commit (QAMOVUP_CABINET naming the same cabinet) with the packages BUILDINFO
# lists, the folder and the zip are the same bytes: the files' times in the zip are the commit's
# (SOURCE_DATE_EPOCH if set); check-reproducible.sh shows it under varied conditions.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out_dir="" build=1
while [ $# -gt 0 ]; do
    case "$1" in
    --out) out_dir=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    -*) echo "usage: $0 [--out DIR] [--no-build] [BUILD_ROOT]" >&2; exit 2 ;;
    *) break ;;
    esac
done
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
out_dir=${out_dir:-$root/release}
. "$top/scripts/project.sh"

step="" stage="" name="" earlier=""
# The release's parts, each moved into place on its own.
parts() { echo "$name" "$name.zip" "$name.zip.sha256" "$name.SHA256SUMS"; }
finish() {
    status=$?
    if [ "$status" != 0 ] && [ -n "$stage" ] && [ -d "$stage/earlier" ]; then
        # Failed while moving into place: the earlier release goes back where it was.
        for part in $(parts); do
            [ -e "$stage/earlier/$part" ] || continue
            rm -rf "${out_dir:?}/$part" && mv "$stage/earlier/$part" "$out_dir/$part"
        done
    fi
    [ -z "$stage" ] || rm -rf "$stage"
    [ "$status" != 0 ] || return 0
    if [ -n "$earlier" ]; then
        left="the earlier release $out_dir/$name (made $earlier) is kept as it was: it is not this run's"
    else
        left="nothing was left in $out_dir"
    fi
    echo "release: FAILED at: ${step:-its start}; no release was made; $left" >&2
}
trap finish EXIT
trap 'exit 130' INT TERM HUP

if [ "$build" = 1 ]; then
    step="installing what the build needs (scripts/deps.sh)"
    "$top/scripts/deps.sh"
    step="building (scripts/build.sh)"
    "$top/scripts/build.sh" "$root"
    # Nothing is handed out that fails its import, export or header checks.
    for arch in i686 x86_64; do
        step="the static checks of the $arch build"
        (cd "$root/$arch" && ctest --output-on-failure -L static >/dev/null) ||
            { echo "release: the static checks of the $arch build fail" >&2; exit 1; }
    done
fi
step="comparing the two builds' cabinets"
cabinet=$(build_cabinet "$root/i686")
if [ "$cabinet" != "$(build_cabinet "$root/x86_64")" ]; then
    echo "release: the two builds embed different cabinets" >&2
    exit 1
fi
if [ -z "$cabinet" ] &&
   ! cmp -s "$root/i686/cabinet/HNDqamoInstall.cab" "$root/x86_64/cabinet/HNDqamoInstall.cab"; then
    echo "release: the two stand-in cabinets differ" >&2
    exit 1
fi

name=$(release_name "$cabinet")
if [ -f "$out_dir/$name.zip" ]; then
    earlier=$(date -r "$out_dir/$name.zip" '+%Y-%m-%d %H:%M')
fi
step="making a folder to assemble it in, beside $out_dir/$name"
mkdir -p "$out_dir"
stage=$(mktemp -d "$out_dir/.$name.assembling.XXXXXX")
out=$stage/$name
mkdir -p "$out/x64" "$out/simhandheld/x86" "$out/simhandheld/x64"
if [ -n "${QAMOVUP_SIGN_PKCS12:-}" ]; then
    step="signing qamovup.exe (scripts/sign.sh)"
    "$top/scripts/sign.sh" "$root/i686/app/qamovup.exe" "$out/qamovup.exe"
    step="signing x64/qamovup.exe (scripts/sign.sh)"
    "$top/scripts/sign.sh" "$root/x86_64/app/qamovup.exe" "$out/x64/qamovup.exe"
else
    echo "release: no code-signing certificate (QAMOVUP_SIGN_PKCS12): the programs are unsigned"
    step="copying the programs"
    cp "$root/i686/app/qamovup.exe" "$out/qamovup.exe"
    cp "$root/x86_64/app/qamovup.exe" "$out/x64/qamovup.exe"
fi
step="copying the simulated handheld and the guide"
for pair in i686:x86 x86_64:x64; do
    arch=${pair%%:*} folder=${pair#*:}
    cp "$root/$arch/simhandheld/rapi.dll" "$root/$arch/simhandheld/qamosimlink.dll" \
       "$root/$arch/simhandheld/qamosim.exe" "$out/simhandheld/$folder/"
done
{ printf '\357\273\277'; sed 's/$/\r/' "$top/docs/guide-ja.md"; } >"$out/guide-ja.txt"
step="recording what built it (scripts/buildinfo.sh)"
"$top/scripts/buildinfo.sh" "$root" "$name" ${QAMOVUP_SIGN_PKCS12:+signed} >"$out/BUILDINFO"
step="making the sums"
(cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)

# The zip records each file's time and mode, its order and its tool's extras: all fixed here. Its
# time is the commit's (a source tree without git gets 2024-01-01), in UTC; no extra fields (-X),
# no folder entries (-D), written to a file so that no data descriptor is needed; deflate only.
step="making the zip"
epoch=$(source_date_epoch)
find "$out" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$out" -exec touch -h -d "@$epoch" {} +
(cd "$stage" && find "$name" -type f | LC_ALL=C sort | TZ=UTC zip -q -X -D -9 -@ "$name.zip")
step="making the sums to publish beside the zip"
(cd "$stage" && sha256sum "$name.zip" >"$name.zip.sha256" && cp "$name/SHA256SUMS" "$name.SHA256SUMS")
(cd "$out" && sha256sum -c --quiet SHA256SUMS)

step="moving the release into place"
mkdir "$stage/earlier"
for part in $(parts); do
    [ ! -e "$out_dir/$part" ] || mv "$out_dir/$part" "$stage/earlier/$part"
done
for part in $(parts); do
    mv "$stage/$part" "$out_dir/$part"
done
rm -rf "$stage/earlier"

echo "Release: $out_dir/$name/"
echo "         $out_dir/$name.zip"
cat "$out_dir/$name/SHA256SUMS"
echo "To publish apart from the zip: $name.zip.sha256 and $name.SHA256SUMS beside it:"
cat "$out_dir/$name.zip.sha256"
if [ -n "$cabinet" ]; then
    echo "release: $name, with the installer $cabinet"
else
    echo "release: $name is a REHEARSAL release: without QAMOVUP_CABINET both programs carry the stand-in cabinet, which installs nothing on a real handheld"
fi
