#!/usr/bin/env bash
# Times ravezivured-scan against `find DIR -type f | wc -l` on the same tree, warm cache.
#
#   bench/scan.sh N [DIR]
#
# DIR (default /tmp/rz-bench-N) is generated with N files by rz-bench-tree (seeded, the
# same tree every time) unless it was generated before; an existing folder that was not
# generated here is scanned as it is. The two commands run alternately, PAIRS times
# (default 7, at least 5). Prints both medians, their ratio, the median of the per-pair
# ratios, and the scan's peak resident memory. Builds with the release preset first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"

n=${1:?usage: bench/scan.sh N [DIR]}
dir=${2:-/tmp/rz-bench-$n}
pairs=${PAIRS:-7}
((pairs >= 5)) || { echo "PAIRS must be at least 5" >&2; exit 2; }

cmake -S "$root" --preset release >/dev/null
cmake --build "$root/build/release" --target ravezivured-scan rz-bench-tree >/dev/null
scan=$root/build/release/app/ravezivured-scan
generate=$root/build/release/bench/rz-bench-tree

ensure_tree "$generate" "$n" "$dir"


# Warm the cache with both, and check they agree on the number of files.
found=$(find "$dir" -type f | wc -l)
counted=$("$scan" "$dir" | awk -F'\t' '$1=="Total Files Found" {print $2}')
echo "files: find $found, ravezivured-scan $counted"
[[ $found == "$counted" ]] || echo "warning: the counts differ (links and special files count for the scan only)" >&2

scan_times=() find_times=() ratios=()
for ((i = 0; i < pairs; i++)); do
  t0=$(now); "$scan" "$dir" >/dev/null; t1=$(now)
  find "$dir" -type f | wc -l >/dev/null; t2=$(now)
  scan_times+=($((t1 - t0))) find_times+=($((t2 - t1)))
  ratios+=("$(awk -v a=$((t1 - t0)) -v b=$((t2 - t1)) 'BEGIN {printf "%.4f", a / b}')")
done

scan_median=$(printf '%s\n' "${scan_times[@]}" | median)
find_median=$(printf '%s\n' "${find_times[@]}" | median)
pair_median=$(printf '%s\n' "${ratios[@]}" | median)
peak_kb=$( { /usr/bin/time -f '%M' "$scan" "$dir" >/dev/null; } 2>&1 | tail -1)

awk -v s="$scan_median" -v f="$find_median" -v p="$pair_median" -v k="$peak_kb" -v n="$pairs" 'BEGIN {
  printf "ravezivured-scan   median %.3f s   (%d runs)\n", s / 1e6, n
  printf "find | wc -l       median %.3f s   (%d runs)\n", f / 1e6, n
  printf "ratio of medians   %.3f\n", s / f
  printf "median pair ratio  %.3f\n", p
  printf "scan peak RSS      %.1f MB (%d KB)\n", k / 1024, k
}'
echo "scan runs (us): ${scan_times[*]}"
echo "find runs (us): ${find_times[*]}"
