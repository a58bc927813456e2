#!/bin/sh
# build.sh [BUILD_ROOT [TARGET...]]: configures (once) and builds the tool, the simulated handheld
# and the tests for both Windows targets, or only the TARGETs named: BUILD_ROOT/i686, the 32-bit
# programs that are handed out, and BUILD_ROOT/x86_64, the 64-bit ones, which are also the ones
# this machine runs. QAMOVUP_CABINET, when set, names the real installer cabinet that both embed
# instead of the stand-in.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${1:-$top/build}
[ $# -eq 0 ] || shift
targets=""
for target; do targets="$targets --target $target"; done
for arch in i686 x86_64; do
    build=$root/$arch
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-$arch.cmake" \
              -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    if [ -n "${QAMOVUP_CABINET:-}" ]; then
        cmake "$build" -DQAMOVUP_CABINET="$QAMOVUP_CABINET" >/dev/null
    fi
    echo "Building $build"
    # shellcheck disable=SC2086 # one word per option
    cmake --build "$build" -j"$(nproc)" $targets
done
