#!/bin/sh
# fuzz.sh [SECONDS] [TARGET...]: fuzzes the handheld text rules natively with libFuzzer.
#   scripts/fuzz.sh                        every target for 20 s each
#   scripts/fuzz.sh 300 fuzz_version_line  one target for five minutes
# Targets: fuzz_platform_name, fuzz_version_line. Installs clang and libclang-rt-14-dev if they
# are missing, builds in build-fuzz/ and starts each target from a copy of fuzz/corpus/<target>,
# so the committed seeds never grow. Exits nonzero on any crash, sanitizer report or broken rule;
# the failing input is kept in build-fuzz/artifacts/.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build-fuzz
seconds=${1:-20}
[ $# -gt 0 ] && shift
targets=${*:-fuzz_platform_name fuzz_version_line}
case $seconds in '' | *[!0-9]*) seconds=0 ;; esac
# libFuzzer takes 0 to mean for ever
[ "$seconds" -gt 0 ] || { echo "fuzz.sh: SECONDS must be a whole number above 0" >&2; exit 2; }

has_fuzzer_runtime() {
    command -v clang++-14 >/dev/null 2>&1 &&
        ls "$(clang++-14 --print-runtime-dir)"/libclang_rt.fuzzer*.a >/dev/null 2>&1
}
if ! has_fuzzer_runtime; then
    echo "Installing: clang libclang-rt-14-dev"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi
cxx=$(command -v clang++-14)

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" >/dev/null
fi
# shellcheck disable=SC2086
cmake --build "$build" -j"$(nproc)" --target $targets >/dev/null

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
failed=0
for target in $targets; do
    seeds=$top/fuzz/corpus/$target
    work=$build/corpus/$target
    log=$build/$target.log
    [ -d "$seeds" ] || { echo "fuzz.sh: no seed corpus for $target" >&2; exit 2; }
    rm -rf "$work"
    mkdir -p "$work" "$build/artifacts"
    cp "$seeds"/* "$work"/
    status=0
    "$build/$target" -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" "$work" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    coverage=$(grep -E '^#[0-9]+' "$log" | tail -n 1 |
        sed -n 's/.*cov: \([0-9]*\) ft: \([0-9]*\) corp: \([0-9]*\).*/\1 edges, \2 features (corpus of \3 inputs)/p')
    if [ "$status" -ne 0 ] || grep -qE 'ERROR: |runtime error:|rule broken:' "$log"; then
        echo "$target: FAILED (exit $status) after ${runs:-?} runs; see $log"
        grep -E 'ERROR:|runtime error:|rule broken:|Test unit written' "$log" | head -n 5 >&2
        failed=1
    else
        echo "$target: passed, ${runs:-?} runs in ${seconds} s, coverage ${coverage:-?}"
    fi
done
exit $failed
