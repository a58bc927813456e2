#!/bin/sh
# static-checks.sh [BUILD_DIR]: clang-tidy (checks in .clang-tidy) and cppcheck over the tool's own
# code, as the mingw-w64 cross build compiles it. Exits nonzero on any finding.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-static}
jobs=$(nproc)
triplet=x86_64-w64-mingw32
product="devicelink worker progress app framework simhandheld"

"$top/scripts/deps.sh"
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)

# Only the compile database is needed: nothing is built. The tests are not checked here.
# The folder is this script's own: one left without a compile database by a failed configure is
# started afresh.
if [ ! -f "$build/compile_commands.json" ]; then
    rm -rf "$build"
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
          -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DQAMOVUP_BUILD_TESTS=OFF >/dev/null
else
    cmake "$build" >/dev/null
fi

# clang knows the mingw-w64 target and finds its C headers, but not GCC's C++ library; gcc's own
# intrinsics folder stays out, since clang brings its own.
cxx_includes=$(echo | $triplet-g++-win32 -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here:/,/End of search list./p' | grep '/include/c++')
set -- --quiet -p "$build" --extra-arg=--target=$triplet
for dir in $cxx_includes; do
    set -- "$@" "--extra-arg=-isystem$(cd "$dir" && pwd)"
done

out="$build/static-checks"
rm -rf "$out"
mkdir -p "$out/cppcheck"
pattern=$(echo "$product" | sed 's/ /|/g')
sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$build/compile_commands.json" |
    grep -E "^$top/($pattern)/" | sort -u >"$out/files.txt"
count=$(wc -l <"$out/files.txt")

echo "clang-tidy: $count files, $jobs at a time"
tidy_status=0
# Each file's report goes to its own log so that parallel runs do not interleave.
# shellcheck disable=SC2016 # expanded by the inner shell, once per file
xargs -P "$jobs" -I{} sh -c 'f=$1; shift; "$@" "$f" >"$0/$(echo "$f" | tr / _).log" 2>&1' \
    "$out" {} "$tidy" "$@" <"$out/files.txt" || tidy_status=1
cat "$out"/*.log | grep -E '^[^ ].*:[0-9]+:[0-9]+: (warning|error):' | sort -u >"$out/clang-tidy.txt" || true
tidy_findings=$(wc -l <"$out/clang-tidy.txt")
if [ "$tidy_status" -ne 0 ] && [ "$tidy_findings" -eq 0 ]; then
    # A failure without a diagnostic line: show what clang-tidy said.
    cat "$out"/*.log
    tidy_findings=1
fi
cat "$out/clang-tidy.txt"

echo "cppcheck: $product"
# The Windows version the build targets, as CMake set it for the build being checked.
winnt=$(grep -o -- '-D_WIN32_WINNT=0x[0-9A-Fa-f]*' "$build/compile_commands.json" | head -n 1 | cut -d= -f2)
cppcheck_status=0
# useStlAlgorithm is off: a raw loop with an early return is how this code base searches a
# table, and the check asks for nothing but a rewrite.
# shellcheck disable=SC2086 # $product is a list of folders
(cd "$top" && cppcheck --std=c++17 --platform=win64 --language=c++ \
    --enable=warning,performance,portability,style --inline-suppr --error-exitcode=1 \
    --suppress=useStlAlgorithm -j "$jobs" --cppcheck-build-dir="$out/cppcheck" --quiet \
    -D_WIN32 -D_WIN64 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX \
    -D_WIN32_WINNT="$winnt" -DWINVER="$winnt" -I . \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    $product) >"$out/cppcheck.txt" 2>&1 || cppcheck_status=1
cat "$out/cppcheck.txt"
cppcheck_findings=$(grep -c ': \(error\|warning\|style\|performance\|portability\): ' "$out/cppcheck.txt" || true)
if [ "$cppcheck_status" -ne 0 ] && [ "$cppcheck_findings" -eq 0 ]; then
    cppcheck_findings=1
fi

echo "static checks: clang-tidy $tidy_findings finding(s) in $count files, cppcheck $cppcheck_findings finding(s)"
[ "$tidy_findings" -eq 0 ] && [ "$tidy_status" -eq 0 ] && [ "$cppcheck_status" -eq 0 ]
