#!/usr/bin/env bash
# Instructions (callgrind) spent in one iteration of each reply-parsing
# benchmark beside the bare libxml2 reader pass: a figure that, unlike CPU
# time, does not move with the load of a shared machine.
# Usage: scripts/count-parse-instructions.sh [build dir with bin/bench_protocol]
set -euo pipefail

if [[ "${1:-}" == "-h" || "${1:-}" == "--help" ]]; then
    echo "usage: $0 [BUILD_DIR]   (default build-bench; needs valgrind and an optimised bench_protocol)"
    exit 0
fi
build="${1:-build-bench}"
bench="$build/bin/bench_protocol"
if [[ ! -x "$bench" ]]; then
    echo "error: $bench not found; build it first (make bench, or cmake --build $build --target bench_protocol)" >&2
    exit 1
fi
if ! command -v valgrind >/dev/null; then
    echo "error: valgrind is not installed; run scripts/install-deps.sh" >&2
    exit 1
fi

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT

# Instructions of one iteration of benchmark $1 at size $2.
count() {
    local file="$out/$1.$2"
    valgrind --tool=callgrind --callgrind-out-file="$file" --toggle-collect="*$1(*" \
        "$bench" --benchmark_filter="^$1/$2\$" --benchmark_min_time=0 --benchmark_repetitions=1 >/dev/null 2>&1
    awk '/^(summary|totals):/ { print $2; exit }' "$file"
}

printf '%-8s %14s %14s %14s %8s %8s\n' records floor parse "parse+convert" parse/f conv/f
for size in 100 1000 10000; do
    floor=$(count BM_ReaderFloor "$size")
    parse=$(count BM_ParseItemListReply "$size")
    convert=$(count BM_ParseAndConvertItemListReply "$size")
    awk -v size="$size" -v floor="$floor" -v parse="$parse" -v convert="$convert" \
        'BEGIN { printf "%-8s %14s %14s %14s %8.2f %8.2f\n", size, floor, parse, convert, parse / floor, convert / floor }'
done
echo "(instructions per iteration; goal for both ratios: <= 1.5)"
