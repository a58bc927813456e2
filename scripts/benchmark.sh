#!/bin/sh
# benchmark.sh [--runs N] [--slow-runs N] [--link N]: builds both tools and qamovup_bench for each,
# then drives complete and cancelled revision-ups against the simulated handheld under three link
# models on a private Xvfb and Wine prefix: the 32-bit tool under the 32-bit loader (WOW64), then
# the 64-bit one, each measured against the floor of its own kind of process. Prints the figures
# against their goals as one table and writes it, with the machine it was measured on, to
# bench/RESULTS.md. Not part of the test suite: it takes minutes.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build-bench}
prefix=$root/bench-run/wineprefix

"$top/scripts/deps.sh"
for arch in i686 x86_64; do
    if [ ! -f "$root/$arch/CMakeCache.txt" ]; then
        cmake -S "$top" -B "$root/$arch" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-$arch.cmake" \
              -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$root/$arch" -j"$(nproc)" --target qamovup rapi qamosimlink qamovup_bench
done

. "$top/scripts/xvfb.sh"
start_xvfb
cleanup() {
    "$top/tests/wine/wine-prefix.sh" down "$prefix"
    stop_xvfb
}
trap cleanup EXIT
mkdir -p "$root/bench-run"
# One prefix holds both simulated libraries, each in the system folder of its kind.
. "$top/scripts/project.sh"
"$top/tests/wine/wine-prefix.sh" up "$(wine_loader x86_64)" "$prefix" \
    "$root/i686/simhandheld/rapi.dll" "$root/i686/simhandheld/qamosimlink.dll" \
    "$root/x86_64/simhandheld/rapi.dll" "$root/x86_64/simhandheld/qamosimlink.dll"

table=$root/bench-run/table.md
# bench ARCH [ARGS...]: one tool's benchmark; its exit status goes to bench-run/ARCH.status.
bench() {
    arch=$1
    shift
    code=0
    "$top/tests/wine/wine-env.sh" "$(wine_loader "$arch")" "$prefix" "$root/$arch/bench/qamovup_bench.exe" "$@" || code=$?
    echo "$code" >"$root/bench-run/$arch.status"
}
# The 64-bit rows continue the 32-bit table; a failed run of one tool does not stop the other's.
bench i686 "$@" | tee "$table"
bench x86_64 "$@" | grep '^| 64-bit' | tee -a "$table"
status=0
for arch in i686 x86_64; do
    [ "$(cat "$root/bench-run/$arch.status")" = 0 ] || { echo "benchmark: a run of the $arch tool failed" >&2; status=1; }
done
{
    echo "# Benchmark results"
    echo
    echo "Measured $(date -u +%Y-%m-%d) with \`$(echo scripts/benchmark.sh "$@")\` on $(nproc) cores of" \
         "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $("$(wine_loader x86_64)" --version 2>/dev/null)," \
         "Xvfb, simulated handheld, stand-in cabinet of 8,158,840 bytes: the 32-bit qamovup.exe under the" \
         "32-bit Wine loader (WOW64), the 64-bit one under the 64-bit loader, each with the floor measured" \
         "by a benchmark program of its own kind."
    echo
    cat "$table"
    echo
    echo "How each figure is measured, and what the goals mean: [README.md](README.md)."
} >"$top/bench/RESULTS.md"
echo "Written: $top/bench/RESULTS.md"
exit $status
