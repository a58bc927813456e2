#!/bin/sh
# release.sh [BUILD_ROOT]: builds both targets if need be, checks the programs to be handed out
# against their oldest desktops, and makes BUILD_ROOT/release/qamovup-VERSION/:
#   qamovup.exe                     the 32-bit tool, for every desktop (Windows XP SP3 to 11)
#   x64/qamovup.exe                 the 64-bit tool, for 64-bit Windows when the service desk says so
#   simhandheld/x86/, simhandheld/x64/   the simulated handheld: rapi.dll and qamosim.exe
#   guide-ja.txt                    the users' guide (UTF-8 with a byte-order mark, CRLF: XP's Notepad)
#   SHA256SUMS                      sha256sum's format, paths with forward slashes
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
"$top/scripts/deps.sh"
"$top/scripts/build.sh" "$root"

# Nothing is handed out that fails its import, export or header checks.
for arch in i686 x86_64; do
    (cd "$root/$arch" && ctest --output-on-failure -L static >/dev/null) ||
        { echo "release: the static checks of the $arch build fail" >&2; exit 1; }
done
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

version=$(sed -n 's/^project(qamovup VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
out=$root/release/qamovup-$version
rm -rf "$out"
mkdir -p "$out/x64" "$out/simhandheld/x86" "$out/simhandheld/x64"
cp "$root/i686/app/qamovup.exe" "$out/qamovup.exe"
cp "$root/x86_64/app/qamovup.exe" "$out/x64/qamovup.exe"
for pair in i686:x86 x86_64:x64; do
    arch=${pair%%:*} folder=${pair#*:}
    cp "$root/$arch/simhandheld/rapi.dll" "$root/$arch/simhandheld/qamosim.exe" "$out/simhandheld/$folder/"
done
{ printf '\357\273\277'; sed 's/$/\r/' "$top/docs/guide-ja.md"; } >"$out/guide-ja.txt"
(cd "$out" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | LC_ALL=C sort | xargs sha256sum >SHA256SUMS)
echo "Release: $out"
(cd "$out" && sha256sum -c --quiet SHA256SUMS && cat SHA256SUMS)
