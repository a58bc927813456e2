#!/bin/sh
# check-reproducible.sh [BUILD_ROOT]: proves that the release in BUILD_ROOT/release (made by
# release.sh without a certificate) is what this source gives anywhere: copies the tracked files
# of the working tree (uncommitted changes included) to another folder, builds there only what
# the release needs, in yet another folder, makes the release folder and zip from it, and
# compares both, and the sums beside the zip, byte for byte with BUILD_ROOT's. Names every file
# that differs and exits 1 if any does; removes its folders either way.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
root=$(cd "$root" && pwd)
start=$(date +%s)

. "$top/scripts/project.sh"
cabinet=$(build_cabinet "$root/i686")
name=$(release_name "$cabinet")
reference=$root/release
[ -d "$reference/$name" ] && [ -f "$reference/$name.zip" ] ||
    { echo "check-reproducible: no release in $reference: run scripts/release.sh $root first" >&2; exit 2; }
if command -v osslsigncode >/dev/null 2>&1 &&
   osslsigncode extract-signature -in "$reference/$name/qamovup.exe" -out /dev/null >/dev/null 2>&1; then
    echo "check-reproducible: $reference/$name holds signed programs; compare a release made without a certificate" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-reproduce.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy_source "$work/source"

# The copy has no history: it gets the commit's time from here, as release.sh gave it to the zip.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git -C "$top" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
for arch in i686 x86_64; do
    cmake -S "$work/source" -B "$work/build/$arch" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/mingw-w64-$arch.cmake" \
          -DQAMOVUP_BUILD_TESTS=OFF -DQAMOVUP_CABINET="$cabinet" >"$work/log" 2>&1 &&
    cmake --build "$work/build/$arch" -j"$(nproc)" --target qamovup qamosim rapi >>"$work/log" 2>&1 ||
        { cat "$work/log" >&2; echo "check-reproducible: the second $arch build failed" >&2; exit 1; }
done
env -u QAMOVUP_SIGN_PKCS12 "$work/source/scripts/release.sh" --no-build "$work/build" >"$work/log" 2>&1 ||
    { cat "$work/log" >&2; echo "check-reproducible: the second release failed" >&2; exit 1; }

# Every file of either folder, then the zip.
differ=0
(cd "$reference/$name" && find . -type f; cd "$work/build/release/$name" && find . -type f) |
    sed 's|^\./||' | LC_ALL=C sort -u >"$work/files"
while IFS= read -r file; do
    if ! cmp -s "$reference/$name/$file" "$work/build/release/$name/$file"; then
        echo "differs: $name/$file"
        differ=1
    fi
done <"$work/files"
for file in "$name.zip" "$name.zip.sha256" "$name.SHA256SUMS"; do
    if ! cmp -s "$reference/$file" "$work/build/release/$file"; then
        echo "differs: $file"
        differ=1
    fi
done
count=$(wc -l <"$work/files")
if [ "$differ" = 1 ]; then
    echo "check-reproducible: a build of this source elsewhere differs from $reference ($(($(date +%s) - start)) s)"
    exit 1
fi
echo "check-reproducible: $count files of $name/, $name.zip and the sums beside it rebuilt elsewhere are byte-identical ($(($(date +%s) - start)) s)"
