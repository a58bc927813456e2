#!/bin/sh
# build.sh [BUILD_DIR]: configures (once) and builds the tool, the simulated handheld and the tests.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)"
