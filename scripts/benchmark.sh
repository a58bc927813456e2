#!/bin/sh
# benchmark.sh [--runs N] [--slow-runs N] [--rounds N] [--link N] [--bare-calls] [--tools ROOT]:
# builds both tools and qamovup_bench for each, then drives complete and cancelled revision-ups
# against the simulated handheld under three link models on a private Xvfb and Wine prefix: the
# 32-bit tool under the 32-bit loader (WOW64), then the 64-bit one, each measured against the floor
# of its own kind of process; then times the bare calls between two writes in both kinds of
# process, taking turns. A full run (no --link, no --bare-calls, no --tools) writes bench/RESULTS.md
# and the README's table from it; any other goes to build-bench/bench-run/RESULTS.md. Not part of
# the test suite: it takes minutes.
#   --runs N       complete and cancelled runs each per link model (default 5)
#   --slow-runs N  the same at 250,000 B/s, where a complete run takes over 30 s (default 4)
#   --rounds N     rounds of the bare calls (default 9)
#   --link N       only the link model of N bytes per second (0: unthrottled), no bare calls
#   --bare-calls   only the bare calls
#   --tools ROOT   drive the qamovup.exe of another build, ROOT/ARCH/app/qamovup.exe, e.g. to compare
#                  two versions of the tool with the same benchmark
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
root=${QAMOVUP_BUILD_DIR:-$top/build-bench}
prefix=$root/bench-run/wineprefix
runs=5 slow_runs=4 rounds=9 link="" bare_only=0 tools=""
options="$*"
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=$2; shift 2 ;;
    --slow-runs) slow_runs=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --link) link=$2; shift 2 ;;
    --bare-calls) bare_only=1; shift ;;
    --tools) tools=$(cd "$2" && pwd); shift 2 ;;
    *) sed -n '2,17s/^# \{0,1\}//p' "$0" >&2; exit 2 ;;
    esac
done

"$top/scripts/deps.sh"
env -u QAMOVUP_CABINET "$top/scripts/build.sh" "$root" qamovup qamosimlink qamovup_bench

. "$top/scripts/xvfb.sh"
start_xvfb
cleanup() {
    "$top/scripts/wine/wine-prefix.sh" down "$prefix"
    stop_xvfb
}
trap cleanup EXIT
run_dir=$root/bench-run
mkdir -p "$run_dir"
# One prefix holds both simulated libraries, each in the system folder of its kind, each behind
# the benchmark's rapi.dll, which times the tool's writes from the tool's side.
. "$top/scripts/project.sh"
"$top/scripts/wine/wine-prefix.sh" up "$(wine_loader x86_64)" "$prefix" \
    "$root/i686/bench/timedlink/rapi.dll" "$root/i686/simhandheld/qamosimlink.dll" \
    "$root/x86_64/bench/timedlink/rapi.dll" "$root/x86_64/simhandheld/qamosimlink.dll"

program_kind() { if [ "$1" = i686 ]; then echo 32-bit; else echo 64-bit; fi; }

# bench_loader_probe ARCH: whether a program of that kind runs in the prefix.
bench_loader_probe() {
    "$top/scripts/wine/wine-env.sh" "$(wine_loader "$1")" "$prefix" cmd /c exit </dev/null
}

# bench ARCH [ARGS...]: qamovup_bench of that kind.
bench() {
    arch=$1
    shift
    QAMOVUP_E2E_TOOL=${tools:+$tools/$arch/app/qamovup.exe} \
        "$top/scripts/wine/wine-env.sh" "$(wine_loader "$arch")" "$prefix" "$root/$arch/bench/qamovup_bench.exe" "$@"
}

# A kernel that runs no 32-bit programs (IA-32 emulation off) cannot measure the 32-bit tool: it is
# left out, and the results say so, rather than showing the 64-bit figures alone as if both ran.
arches="" not_measured=""
for arch in i686 x86_64; do
    if probe=$(bench_loader_probe "$arch" 2>&1); then
        arches="$arches $arch"
    else
        not_measured="$not_measured The $(program_kind "$arch") programs were not measured: $(wine_loader "$arch") cannot run a program on this machine ($(echo "$probe" | tail -n 1 | sed 's/.*: //'))."
    fi
done
[ -n "$arches" ] || { echo "benchmark:$not_measured" >&2; exit 1; }
case "$arches" in
*i686*x86_64*) programs="the 32-bit qamovup.exe under the 32-bit Wine loader (WOW64), the 64-bit one under the 64-bit loader, each with the floor measured by a benchmark program of its own kind" ;;
*i686*) programs="the 32-bit qamovup.exe under the 32-bit Wine loader, with the floor measured by a 32-bit benchmark program" ;;
*) programs="the 64-bit qamovup.exe under the 64-bit Wine loader, with the floor measured by a 64-bit benchmark program" ;;
esac

started=$(date +%s)
# Whether the machine was quiet: the load average over 1, 5 and 15 minutes, at the start and the end.
load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
table=$run_dir/table.md
bare=$run_dir/bare-calls.tsv
: >"$table"
: >"$bare"
status=0
took=""
if [ "$bare_only" = 0 ]; then
    set -- --runs "$runs" --slow-runs "$slow_runs"
    [ -z "$link" ] || set -- "$@" --link "$link"
    # A failed run of one tool does not stop the other's.
    for arch in $arches; do
        from=$(date +%s)
        rm -f "$run_dir/failed"
        { bench "$arch" "$@" || echo "$arch" >"$run_dir/failed"; } | tee -a "$table"
        if [ -f "$run_dir/failed" ]; then
            echo "benchmark: a run of the $arch tool failed" >&2
            status=1
        fi
        took="$took, the $arch tool's runs $(($(date +%s) - from)) s"
    done
fi
if [ -z "$link" ]; then
    # The two kinds take turns, so that a change in the machine's load falls on both alike.
    from=$(date +%s)
    round=0
    while [ "$round" -lt "$rounds" ]; do
        for arch in $arches; do
            bench "$arch" --bare-calls >>"$bare" || { echo "benchmark: the $arch bare calls failed" >&2; status=1; }
        done
        round=$((round + 1))
    done
    took="$took, the bare calls $(($(date +%s) - from)) s"
fi
elapsed=$(($(date +%s) - started))
load="load average $load_at_start at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end"

full=0
[ -n "$link" ] || [ "$bare_only" = 1 ] || [ -n "$tools" ] || full=1
results=$run_dir/RESULTS.md
[ "$full" = 0 ] || results=$top/bench/RESULTS.md
{
    echo "# Benchmark results"
    echo
    echo "Measured $(date -u +%Y-%m-%d) with \`$(echo scripts/benchmark.sh $options)\` on $(nproc) cores of" \
         "$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1), $("$(wine_loader x86_64)" --version 2>/dev/null)," \
         "Xvfb, simulated handheld, stand-in cabinet of 8,158,840 bytes: $programs." \
         "The measurement took $((elapsed / 60)) min $((elapsed % 60)) s${took};" \
         "$load.$not_measured"
    if [ -s "$table" ]; then
        echo
        echo "$runs complete and $runs cancelled runs per link model ($slow_runs each at 250,000 B/s); the transfer"
        echo "figures come from every run, the memory from the complete ones. Each figure is one value per run:"
        echo "its lowest, median and highest. A goal is met when it holds at the median; the last column says"
        echo "in how many runs it held."
        echo
        echo "| program | link | figure | min | median | max | goal (at the median) | met at the median | held in |"
        echo "|---|---|---|---|---|---|---|---|---|"
        cat "$table"
    fi
    if [ -s "$bare" ]; then
        echo
        echo "## The bare calls between two writes"
        echo
        echo "Each call timed alone in a 32-bit and in a 64-bit benchmark program, $rounds rounds with the two"
        echo "taking turns; a round's figure is the median of its batches."
        echo
        awk -f "$top/bench/bare-calls.awk" "$bare"
    fi
    echo
    echo "How each figure is measured, what the goals mean, and where the 32-bit tool's time between two"
    echo "writes goes: [README.md](README.md)."
} >"$results"
echo "Written: $results"

if [ "$full" = 1 ]; then
    # The README's table is made from these rows, between its two markers, and nowhere else.
    readme=$top/README.md
    summary=$run_dir/readme-table.md
    {
        echo "<!-- benchmark-table:begin (written by scripts/benchmark.sh from bench/RESULTS.md) -->"
        echo "Measured $(date -u +%Y-%m-%d) ($load), $runs complete and $runs cancelled runs per link"
        echo "and program ($slow_runs each at 250,000 B/s, without the card copy):"
        echo
        awk -f "$top/bench/readme-table.awk" "$table"
        [ -z "$not_measured" ] || { echo; echo "${not_measured# }"; }
        echo "<!-- benchmark-table:end -->"
    } >"$summary"
    awk -v summary="$summary" '
        /^<!-- benchmark-table:begin/ { while ((getline line < summary) > 0) print line; skip = 1; next }
        /^<!-- benchmark-table:end/ { skip = 0; next }
        !skip { print }
    ' "$readme" >"$readme.new"
    mv "$readme.new" "$readme"
    echo "Written: the table in $readme"
fi
exit $status
