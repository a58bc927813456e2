#!/bin/sh
# benchmark.sh [--runs N] [--slow-runs N]: builds the tool and qamovup_bench, then drives complete
# and cancelled revision-ups against the simulated handheld under three link models on a private
# Xvfb and Wine prefix, prints the figures against their goals and writes them, with the machine
# they were measured on, to bench/RESULTS.md. Not part of the test suite: it takes minutes.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${QAMOVUP_BUILD_DIR:-$top/build-bench}
prefix=$build/bench-run/wineprefix

"$top/scripts/deps.sh"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
          -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target qamovup rapi qamovup_bench

. "$top/scripts/xvfb.sh"
start_xvfb
cleanup() {
    "$top/tests/wine/wine-prefix.sh" down "$prefix"
    stop_xvfb
}
trap cleanup EXIT
mkdir -p "$build/bench-run"
"$top/tests/wine/wine-prefix.sh" up "$prefix" "$build/simhandheld/rapi.dll"

table=$build/bench-run/table.md
"$top/tests/wine/wine-env.sh" "$prefix" "$build/bench/qamovup_bench.exe" "$@" | tee "$table"

{
    echo "# Benchmark results"
    echo
    echo "Measured $(date -u +%Y-%m-%d) with \`$(echo scripts/benchmark.sh "$@")\` on $(nproc) cores of" \
         "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $(wine --version 2>/dev/null)," \
         "Xvfb, simulated handheld, stand-in cabinet of 8,158,840 bytes."
    echo
    cat "$table"
    echo
    echo "How each figure is measured, and what the goals mean: [README.md](README.md)."
} >"$top/bench/RESULTS.md"
echo "Written: $top/bench/RESULTS.md"
