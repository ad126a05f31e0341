#!/usr/bin/env bash
# Runs every benchmark of an optimised build, keeps their whole output and
# draws the compared figures (ours against the floor) as a bar chart.
#   scripts/bench.sh BUILD_DIR
# Output: BUILD_DIR/bench-output.txt and BUILD_DIR/performance.svg (copy the
# picture to docs/performance.svg to show a new run in the README).
set -uo pipefail
build=${1:-build-bench}
out="$build/bench-output.txt"
: >"$out"
status=0
for b in "$build"/bin/bench_*; do
    [ -x "$b" ] || continue
    printf '\n== %s\n' "$(basename "$b")" | tee -a "$out"
    "$b" 2>&1 | tee -a "$out" || { echo "bench.sh: $(basename "$b") failed" >&2; status=1; }
done
if "$build/bin/iap-bench-chart" --title "Ours against the floor, $(nproc) cores (lower is better)" \
    -o "$build/performance.svg" "$out"; then
    echo "bench.sh: chart written to $build/performance.svg; figures in $out"
else
    status=1
fi
exit $status
