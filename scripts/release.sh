#!/bin/sh
# release.sh [--out DIR] [--no-build] [BUILD_ROOT]: builds both targets if need be, checks the
# programs to be handed out against their oldest desktops, signs them when given a certificate,
# and makes DIR/qamovup-VERSION/ (DIR is BUILD_ROOT/release unless --out names another):
#   qamovup.exe                     the 32-bit tool, for every desktop (Windows XP SP3 to 11)
#   x64/qamovup.exe                 the 64-bit tool, for 64-bit Windows when the service desk says so
#   simhandheld/x86/, simhandheld/x64/   the simulated handheld: rapi.dll, qamosimlink.dll, qamosim.exe
#   guide-ja.txt                    the users' guide (UTF-8 with a byte-order mark, CRLF: XP's Notepad)
#   SHA256SUMS                      sha256sum's format, paths with forward slashes
# and DIR/qamovup-VERSION.zip, the same folder in one file to hand out, which Windows XP's own zip
# support opens. --no-build takes BUILD_ROOT's programs as they are, without building or checking
# them (check-reproducible.sh compares such a release with a checked one).
#
# Signing (scripts/sign.sh): QAMOVUP_SIGN_PKCS12 names a PKCS#12 file, QAMOVUP_SIGN_PASSWORD_FILE
# or QAMOVUP_SIGN_PASSWORD gives its password, QAMOVUP_SIGN_TIMESTAMP_URL an optional
# time-stamping server. Without a certificate the programs are handed out unsigned.
#
# Rebuilt from the same commit (QAMOVUP_CABINET naming the same cabinet), the folder and the zip
# are the same bytes: the files' times in the zip are the commit's (SOURCE_DATE_EPOCH if set).
# A signed program holds exactly the bytes its commit builds when this gives no output:
#   osslsigncode remove-signature -in qamovup-VERSION/qamovup.exe -out unsigned.exe
#   cmp unsigned.exe BUILD_ROOT/i686/app/qamovup.exe
# (x64/qamovup.exe against BUILD_ROOT/x86_64/app/qamovup.exe).
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

if [ "$build" = 1 ]; then
    "$top/scripts/deps.sh"
    "$top/scripts/build.sh" "$root"
    # Nothing is handed out that fails its import, export or header checks.
    for arch in i686 x86_64; do
        (cd "$root/$arch" && ctest --output-on-failure -L static >/dev/null) ||
            { echo "release: the static checks of the $arch build fail" >&2; exit 1; }
    done
fi
cabinet() { sed -n 's/^QAMOVUP_CABINET:FILEPATH=//p' "$root/$1/CMakeCache.txt"; }
if [ "$(cabinet i686)" != "$(cabinet x86_64)" ]; then
    echo "release: the two builds embed different cabinets" >&2
    exit 1
fi
if [ -z "$(cabinet i686)" ] &&
   ! cmp -s "$root/i686/cabinet/HNDqamoInstall.cab" "$root/x86_64/cabinet/HNDqamoInstall.cab"; then
    echo "release: the two stand-in cabinets differ" >&2
    exit 1
fi

. "$top/scripts/project.sh"
version=$(project_version)
name=qamovup-$version
out=$out_dir/$name
zip_file=$out_dir/$name.zip
rm -rf "$out" "$zip_file"
mkdir -p "$out/x64" "$out/simhandheld/x86" "$out/simhandheld/x64"
if [ -n "${QAMOVUP_SIGN_PKCS12:-}" ]; then
    "$top/scripts/sign.sh" "$root/i686/app/qamovup.exe" "$out/qamovup.exe"
    "$top/scripts/sign.sh" "$root/x86_64/app/qamovup.exe" "$out/x64/qamovup.exe"
else
    echo "release: no code-signing certificate (QAMOVUP_SIGN_PKCS12): the programs are unsigned"
    cp "$root/i686/app/qamovup.exe" "$out/qamovup.exe"
    cp "$root/x86_64/app/qamovup.exe" "$out/x64/qamovup.exe"
fi
for pair in i686:x86 x86_64:x64; do
    arch=${pair%%:*} folder=${pair#*:}
    cp "$root/$arch/simhandheld/rapi.dll" "$root/$arch/simhandheld/qamosimlink.dll" \
       "$root/$arch/simhandheld/qamosim.exe" "$out/simhandheld/$folder/"
done
{ printf '\357\273\277'; sed 's/$/\r/' "$top/docs/guide-ja.md"; } >"$out/guide-ja.txt"
(cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)

# The zip records each file's time and mode, its order and its tool's extras: all fixed here. Its
# time is the commit's (a source tree without git gets 2024-01-01), in UTC; no extra fields (-X),
# no folder entries (-D), written to a file so that no data descriptor is needed; deflate only.
epoch=${SOURCE_DATE_EPOCH:-}
if [ -z "$epoch" ] && [ "$(git -C "$top" rev-parse --show-toplevel 2>/dev/null)" = "$top" ]; then
    epoch=$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)
fi
epoch=${epoch:-1704067200}
find "$out" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
find "$out" -exec touch -h -d "@$epoch" {} +
(cd "$out_dir" && find "$name" -type f | LC_ALL=C sort |
    TZ=UTC zip -q -X -D -9 -@ "$name.zip")

echo "Release: $out"
echo "         $zip_file"
(cd "$out" && sha256sum -c --quiet SHA256SUMS && cat SHA256SUMS)
