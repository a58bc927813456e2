#!/bin/sh
# check-reproducible.sh [BUILD_ROOT [ARCH...]]: shows with Debian's reproducible-builds tools that
# the release in BUILD_ROOT/release (made by release.sh without a certificate) is what this source
# gives whatever the conditions of its build. reprotest copies the tracked files of the working
# tree (uncommitted changes included) and makes the release from that copy twice, once as a
# control and once varying every condition it can vary here (the list is printed), then compares
# the two releases: the folder with every file, the zip and the sums beside it. Then the control's
# release is compared with BUILD_ROOT's. Where anything differs, diffoscope says what, in each
# format's own terms, and the check fails.
#
# Each build builds only what the release needs, for each ARCH named (i686 and x86_64 by default):
# the programs of a build not named come from BUILD_ROOT. With both suites each naming its own,
# every program of the release is rebuilt under varied conditions once.
#
# Not varied: user_group, which needs a second user account and sudo to build as it; the check
# creates no accounts on the machine.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-${QAMOVUP_BUILD_DIR:-$top/build}}
root=$(cd "$root" && pwd)
[ $# -eq 0 ] || shift
arches=${*:-i686 x86_64}
variations=environment,build_path,kernel,aslr,num_cpus,time,fileordering,domain_host,home,locales,exec_path,timezone,umask
start=$(date +%s)

. "$top/scripts/project.sh"
for tool in reprotest faketime disorderfs diffoscope; do
    command -v "$tool" >/dev/null 2>&1 ||
        { echo "check-reproducible: $tool is missing (scripts/deps.sh installs it)" >&2; exit 2; }
done
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
others=""
for arch in i686 x86_64; do
    case " $arches " in *" $arch "*) ;; *) others="$others $arch" ;; esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-reproduce.XXXXXX")
trap 'rm -rf "$work"' EXIT
copy_source "$work/source"
# The copies have no history: release.sh there is told the commit and its time as it finds them
# here. Only release.sh: the compilers get the environment they get from release.sh here.
epoch=$(source_date_epoch) commit=$(source_commit)
# A compiler cache would hand back objects instead of compiling them again.
unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER

# The build that reprotest runs in each copy, in whatever folder, time and settings it chooses.
cat >"$work/rebuild.sh" <<EOF
set -eu
for arch in $arches; do
    cmake -S . -B "build/\$arch" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="\$PWD/cmake/mingw-w64-\$arch.cmake" \\
          -DQAMOVUP_BUILD_TESTS=OFF -DQAMOVUP_CABINET="$cabinet" >/dev/null
    cmake --build "build/\$arch" -j"\$(nproc)" --target qamovup qamosim rapi qamosimlink >/dev/null
done
for arch in $others; do ln -s "$root/\$arch" "build/\$arch"; done
env -u QAMOVUP_SIGN_PKCS12 SOURCE_DATE_EPOCH="$epoch" QAMOVUP_SOURCE_COMMIT="$commit" \\
    scripts/release.sh --no-build build >/dev/null
EOF

echo "check-reproducible: reprotest builds the release of $arches twice, varying $variations"
status=0
(cd "$work/source" && reprotest --verbosity 1 --store-dir="$work/store" --variations="$variations" \
    --diffoscope-arg=--max-text-report-size=200000 "sh $work/rebuild.sh" 'build/release/*') \
    >"$work/reprotest.log" 2>&1 || status=$?
grep -E '^(WARNING|INFO):reprotest[.a-z]*:[A-Z_]+ variation|^WARNING' "$work/reprotest.log" | sort -u || true
if [ "$status" != 0 ]; then
    if grep -q 'Running diffoscope' "$work/reprotest.log"; then
        sed -n '/Running diffoscope/,$p' "$work/reprotest.log"
        echo "check-reproducible: the two builds of this source differ (diffoscope's report is above; $(($(date +%s) - start)) s)"
    else
        cat "$work/reprotest.log"
        echo "check-reproducible: reprotest failed (exit $status) before it could compare two releases"
    fi
    exit 1
fi
grep -E '^[0-9a-f]{64} ' "$work/reprotest.log" | sed 's/^/  /' || true

# The control's release against BUILD_ROOT's: the same bytes as the one made by release.sh from the
# build trees of every day.
control=$(find "$work/store/control" -type d -path '*/build/release' | head -n 1)
[ -n "$control" ] || { echo "check-reproducible: reprotest kept no control release" >&2; exit 1; }
(cd "$reference/$name" && find . -type f; cd "$control/$name" && find . -type f) |
    sed 's|^\./||' | LC_ALL=C sort -u >"$work/files"
differ=""
while IFS= read -r file; do
    cmp -s "$reference/$name/$file" "$control/$name/$file" || differ="$differ $name/$file"
done <"$work/files"
for file in "$name.zip" "$name.zip.sha256" "$name.SHA256SUMS"; do
    cmp -s "$reference/$file" "$control/$file" || differ="$differ $file"
done
count=$(wc -l <"$work/files")
if [ -n "$differ" ]; then
    echo "check-reproducible: the rebuilt release differs from $reference in:$differ"
    diffoscope --exclude-directory-metadata=yes --max-text-report-size=200000 "$reference/$name" "$control/$name" || true
    echo "check-reproducible: a build of this source elsewhere differs from $reference ($(($(date +%s) - start)) s)"
    exit 1
fi
echo "check-reproducible: $count files of $name/, $name.zip and the sums beside it: the same bytes in both of reprotest's builds (varying $variations) and in $reference ($(($(date +%s) - start)) s)"
