#!/usr/bin/env bash
# Times ravezivured-scan against `find DIR -type f | wc -l` and against walk-limit (an
# order-free walker: every core lists folders, nothing waits for an order) on the same
# tree.
#
#   bench/scan.sh [--cold] N [DIR]
#   bench/scan.sh --sizes N [DIR]
#
# DIR (default /tmp/rz-bench-N) is generated with N files by rz-bench-tree (seeded, the
# same tree every time) unless it was generated before; an existing folder that was not
# generated here is scanned as it is. The commands run alternately (the scan and
# walk-limit taking turns at going first), PAIRS times (default 7, at least 5). Prints the
# medians, their ratios, the median of the per-pair ratios, and the scan's peak resident
# memory. Builds with the release preset first.
#
# Warm (the default): the cache is warmed once, then the scan and find alternate.
# --cold: the page cache is dropped before every run (sync; echo 3 >
# /proc/sys/vm/drop_caches: needs root), and `fdfind -uu -t f . DIR | wc -l` (package
# fd-find) runs as a third command.
# --sizes: `ravezivured-scan --sizes DIR` against `du -s --apparent-size DIR` (one fstatat
# per entry, on one thread), alternately, warm (PAIRS rounds, with the scan without sizes
# and find as well) and cold (COLD_PAIRS rounds, default 3, the cache dropped before each
# run; skipped without root). Prints the ratios and the peak memory of the scan with
# sizes. BASELINE=path/to/an/older/ravezivured-scan times that one too (without sizes), in
# the same rounds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"

cold=0 sizes=0
if [[ ${1:-} == --cold ]]; then
  cold=1
  shift
elif [[ ${1:-} == --sizes ]]; then
  sizes=1
  shift
fi
n=${1:?usage: bench/scan.sh [--cold | --sizes] N [DIR]}
dir=${2:-/tmp/rz-bench-$n}
pairs=${PAIRS:-7}
((pairs >= 5)) || { echo "PAIRS must be at least 5" >&2; exit 2; }
if ((cold)); then
  [[ -w /proc/sys/vm/drop_caches ]] || { echo "--cold needs root (drop_caches)" >&2; exit 2; }
  command -v fdfind >/dev/null || { echo "--cold needs fdfind (package fd-find)" >&2; exit 2; }
fi

cmake -S "$root" --preset release >/dev/null
cmake --build "$root/build/release" --target ravezivured-scan rz-bench-tree walk-limit >/dev/null
scan=$root/build/release/app/ravezivured-scan
limit=$root/build/release/bench/walk-limit
generate=$root/build/release/bench/rz-bench-tree

ensure_tree "$generate" "$n" "$dir"

# Warm the cache with both, and check they agree on the number of files.
found=$(find "$dir" -type f | wc -l)
counted=$("$scan" "$dir" | awk -F'\t' '$1=="Total Files Found" {print $2}')
walked=$("$limit" "$dir" | awk -F'\t' '$1=="files" {print $2}')
echo "files: find $found, ravezivured-scan $counted, walk-limit $walked"
[[ $found == "$counted" ]] || echo "warning: the counts differ (links and special files count for the scan only)" >&2

drop() { ((cold)) && { sync; echo 3 >/proc/sys/vm/drop_caches; } || true; }
# timed VAR COMMAND...: runs COMMAND (from a dropped cache with --cold), appends its
# microseconds to the array VAR.
timed() {
  local -n into=$1
  shift
  drop
  local t0 t1
  t0=$(now); "$@" >/dev/null; t1=$(now)
  into+=($((t1 - t0)))
}
count_find() { find "$dir" -type f | wc -l; }
count_fd() { fdfind -uu -t f . "$dir" | wc -l; }
if ((sizes)); then
  source "$root/bench/sizes.sh"
  exit
fi

scan_times=() find_times=() fd_times=() limit_times=() ratios=() limit_ratios=()
# Whichever command runs first after find (one thread, most of a second or more) starts
# slower, by some 40 ms on a two-core machine here: the scan and walk-limit take turns
# at going first.
for ((i = 0; i < pairs; i++)); do
  if ((i % 2 == 0)); then
    timed scan_times "$scan" "$dir"
    timed limit_times "$limit" "$dir"
  else
    timed limit_times "$limit" "$dir"
    timed scan_times "$scan" "$dir"
  fi
  timed find_times count_find
  ((cold)) && timed fd_times count_fd
  ratios+=("$(awk -v a="${scan_times[i]}" -v b="${find_times[i]}" 'BEGIN {printf "%.4f", a / b}')")
  limit_ratios+=("$(awk -v a="${scan_times[i]}" -v b="${limit_times[i]}" 'BEGIN {printf "%.4f", a / b}')")
done

scan_median=$(printf '%s\n' "${scan_times[@]}" | median)
find_median=$(printf '%s\n' "${find_times[@]}" | median)
limit_median=$(printf '%s\n' "${limit_times[@]}" | median)
pair_median=$(printf '%s\n' "${ratios[@]}" | median)
limit_pair_median=$(printf '%s\n' "${limit_ratios[@]}" | median)
drop
peak_kb=$( { /usr/bin/time -f '%M' "$scan" "$dir" >/dev/null; } 2>&1 | tail -1)

((cold)) && echo "cold cache: page cache dropped before every run" || echo "warm cache"
awk -v s="$scan_median" -v f="$find_median" -v l="$limit_median" -v n="$pairs" 'BEGIN {
  printf "ravezivured-scan   median %.3f s   (%d runs)\n", s / 1e6, n
  printf "walk-limit         median %.3f s   (%d runs)\n", l / 1e6, n
  printf "find | wc -l       median %.3f s   (%d runs)\n", f / 1e6, n
}'
if ((cold)); then
  fd_median=$(printf '%s\n' "${fd_times[@]}" | median)
  awk -v d="$fd_median" -v n="$pairs" 'BEGIN { printf "fdfind | wc -l     median %.3f s   (%d runs)\n", d / 1e6, n }'
fi
awk -v s="$scan_median" -v f="$find_median" -v l="$limit_median" -v p="$pair_median" \
  -v q="$limit_pair_median" -v k="$peak_kb" 'BEGIN {
  printf "scan / find        %.3f   (median of rounds %.3f)\n", s / f, p
  printf "limit / find       %.3f\n", l / f
  printf "scan / limit       %.3f   (median of rounds %.3f)\n", s / l, q
  printf "scan peak RSS      %.1f MB (%d KB)\n", k / 1024, k
}'
if ((cold)); then
  awk -v s="$scan_median" -v f="$find_median" -v d="$fd_median" 'BEGIN {
    printf "fdfind / find      %.3f\n", d / f
    printf "scan / fdfind      %.3f\n", s / d
  }'
  echo "fdfind runs (us): ${fd_times[*]}"
fi
echo "scan runs (us): ${scan_times[*]}"
echo "limit runs (us): ${limit_times[*]}"
echo "find runs (us): ${find_times[*]}"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
