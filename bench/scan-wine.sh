#!/usr/bin/env bash
# Times the Windows scan command under Wine against the Linux one on the same tree, and
# checks that the two print the same table.
#
#   bench/scan-wine.sh N [DIR]
#
# DIR (default /tmp/rz-bench-N) is generated with N files by rz-bench-tree, as for
# bench/scan.sh, unless it was generated before; an existing folder that was not generated
# here is scanned as it is (bench/scan-wine.sh 0 /usr/lib/python3 compares the two on a
# real tree). Builds the release and windows presets first. The two run alternately,
# PAIRS times (default 7, at least 5); Wine's own start (about 0.05 s with its server
# running) is part of the Windows figure. Prints both medians and their ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"

n=${1:?usage: bench/scan-wine.sh N [DIR]}
dir=$(realpath -m "${2:-/tmp/rz-bench-$n}")
pairs=${PAIRS:-7}
((pairs >= 5)) || { echo "PAIRS must be at least 5" >&2; exit 2; }

cmake -S "$root" --preset release >/dev/null
cmake --build "$root/build/release" --target ravezivured-scan rz-bench-tree >/dev/null
cmake -S "$root" --preset windows >/dev/null
cmake --build "$root/build/windows" --target ravezivured-scan >/dev/null
linux=$root/build/release/app/ravezivured-scan
windows=$root/build/windows/app/ravezivured-scan.exe
export RZ_WINE_DIR=$root/build/windows/wine
wine_scan() { "$root/scripts/wine-run.sh" "$windows" "Z:${dir//\//\\}"; }

ensure_tree "$root/build/release/bench/rz-bench-tree" "$n" "$dir"

# Warm the cache (and Wine's server) with both, and compare the tables byte for byte.
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$linux" "$dir" >"$out/linux.txt" || true
wine_scan >"$out/windows.txt" || true
if cmp -s "$out/linux.txt" "$out/windows.txt"; then
  echo "tables: the same ($(wc -l <"$out/linux.txt") lines)"
else
  echo "tables: DIFFERENT" >&2
  diff "$out/linux.txt" "$out/windows.txt" | head -20 >&2
  exit 1
fi

linux_times=() windows_times=()
for ((i = 0; i < pairs; i++)); do
  t0=$(now); "$linux" "$dir" >/dev/null; t1=$(now)
  linux_times+=($((t1 - t0)))
  t0=$(now); wine_scan >/dev/null; t1=$(now)
  windows_times+=($((t1 - t0)))
done
linux_median=$(printf '%s\n' "${linux_times[@]}" | median)
windows_median=$(printf '%s\n' "${windows_times[@]}" | median)
awk -v l="$linux_median" -v w="$windows_median" -v n="$pairs" 'BEGIN {
  printf "ravezivured-scan (Linux)          median %.3f s   (%d runs)\n", l / 1e6, n
  printf "ravezivured-scan.exe (under Wine) median %.3f s   (%d runs)\n", w / 1e6, n
  printf "ratio of medians                  %.2f   (Wine / Linux)\n", w / l
}'
echo "Linux runs (us): ${linux_times[*]}"
echo "Wine runs (us): ${windows_times[*]}"
