#!/bin/sh
# buildinfo.sh BUILD_ROOT NAME [signed]: prints the BUILDINFO of the release NAME made from
# BUILD_ROOT/i686 and BUILD_ROOT/x86_64, in the spirit of Debian's .buildinfo: the source's commit and
# SOURCE_DATE_EPOCH, the cabinet, and the exact version of every Debian package whose files made
# the release's bytes. Those packages are found, not listed by hand: dpkg names the owner of each
# tool the two builds were configured with (compilers, their own programs and libraries, the
# resource compiler, CMake, make), of every system header the compilers read for the programs
# handed out (their dependency files), of gcab for a stand-in cabinet, of the tools release.sh
# makes the folder, the sums and the zip with, and of osslsigncode for a signed release. Nothing
# of the machine goes in that differs between two builds of the same source with the same
# packages: no date, path or host name.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=$1 name=$2 signed=${3:-}
. "$top/scripts/project.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/qamovup-buildinfo.XXXXXX")
trap 'rm -rf "$work"' EXIT

cache() { sed -n "s/^$2:[A-Z]*=//p" "$root/$1/CMakeCache.txt"; }
# compiler ARCH LANG: the compiler CMake found for LANG (C, CXX or RC) in that build.
compiler() { sed -n "s/^set(CMAKE_$2_COMPILER \"\(.*\)\")\$/\1/p" "$root/$1"/CMakeFiles/*/CMake"$2"Compiler.cmake | head -n 1; }
cabinet=$(build_cabinet "$root/i686")

# Every file whose package counts, one per line.
{
    for arch in i686 x86_64; do
        for language in C CXX RC; do compiler "$arch" "$language"; done
        for entry in CMAKE_AR CMAKE_RANLIB CMAKE_COMMAND CMAKE_MAKE_PROGRAM; do cache "$arch" "$entry"; done
        [ -n "$cabinet" ] || cache "$arch" QAMOVUP_GCAB
        cxx=$(compiler "$arch" CXX)
        for program in cc1 cc1plus collect2 as ld; do "$cxx" -print-prog-name="$program"; done
        for file in libstdc++.a libgcc.a libgcc_eh.a libkernel32.a crt2.o; do "$cxx" -print-file-name="$file"; done
        # The system headers, from the compilers' dependency files of the folders the release is
        # built from: every file they name but the project's own, in its source and build trees.
        source=$(cache "$arch" CMAKE_HOME_DIRECTORY)
        tree=$(cd "$root/$arch" && pwd -P)
        find "$tree/app" "$tree/progress" "$tree/worker" "$tree/devicelink" "$tree/framework" "$tree/res" \
             "$tree/simhandheld" -name '*.d' -type f -exec cat {} + 2>/dev/null | tr ' \\' '\n\n' |
            grep '^/' | grep -v -e "^$source/" -e "^$tree/" || true
    done
    # What release.sh and the stand-in cabinet's script run.
    for tool in sh sed sha256sum find sort xargs touch chmod zip awk head; do command -v "$tool"; done
    [ -z "$signed" ] || command -v osslsigncode
} | grep '^/' | LC_ALL=C sort -u >"$work/files"

# dpkg knows a file by the path it installed, which may be behind a symbolic link (an alternative,
# or the merged /usr): each file is asked under its own path, the path it resolves to, and both
# without a leading /usr.
while IFS= read -r file; do [ ! -e "$file" ] || echo "$file"; done <"$work/files" >"$work/present"
xargs readlink -f <"$work/present" | paste "$work/present" - >"$work/pairs"
awk '{ for (i = 1; i <= 2; i++) { print $i; if ($i ~ /^\/usr\//) print substr($i, 5) } }' "$work/pairs" |
    LC_ALL=C sort -u >"$work/paths"
xargs dpkg-query -S <"$work/paths" 2>/dev/null | grep -v '^diversion by' >"$work/owners" || true
# A file that no package owns would be something this record cannot name.
sed 's/^[^/]*: //' "$work/owners" | awk 'NR == FNR { owned[$0] = 1; next }
    { found = 0
      for (i = 1; i <= 2; i++) if (($i in owned) || ($i ~ /^\/usr\// && (substr($i, 5) in owned))) found = 1
      if (!found) print "buildinfo: no Debian package owns " $1 }' - "$work/pairs" >"$work/unowned"
[ ! -s "$work/unowned" ] || { cat "$work/unowned" >&2; exit 1; }
sed 's/: \/.*$//' "$work/owners" | tr ',' '\n' | tr -d ' ' | LC_ALL=C sort -u >"$work/packages"

if [ -n "$cabinet" ]; then
    cabinet_line="the installer given as QAMOVUP_CABINET, SHA-256 $(sha256sum <"$cabinet" | cut -d' ' -f1)"
else
    cabinet_line="the stand-in, made at build time by cmake/make-standin-cabinet.sh with gcab"
fi
echo "Source: qamovup"
echo "Version: $(project_version)"
echo "Release: $name"
echo "Commit: $(source_commit)"
echo "Source-Date-Epoch: $(source_date_epoch)"
echo "Cabinet: $cabinet_line"
if [ -n "$signed" ]; then echo "Signed: yes, by scripts/sign.sh"; else echo "Signed: no"; fi
echo "Build-Origin: $(. /etc/os-release && echo "${NAME:-unknown}")"
echo "Build-Distribution: $(. /etc/os-release && echo "${VERSION_CODENAME:-unknown}")"
echo "Build-Architecture: $(dpkg --print-architecture)"
echo "Build-Command: scripts/release.sh (both programs built by scripts/build.sh: CMake, mingw-w64's win32-thread-model compilers)"
echo "Installed-Build-Depends:"
# shellcheck disable=SC2046 # one argument per package
dpkg-query -W -f='${binary:Package} (= ${Version})\n' $(cat "$work/packages") | LC_ALL=C sort -u |
    sed 's/^/ /; $!s/$/,/'
