#!/usr/bin/env bash
# The scan's peak memory on a tree of N distinct long extensions (every key held once).
#
#   bench/extensions.sh [N]
#
# DIR /tmp/rz-bench-ext-N is generated with N empty files (default 150000), each with an
# extension of its own 253 bytes long (rz-bench-extensions), unless it was generated
# before. Runs ravezivured-scan on it, checks that the table has N rows, and prints the
# scan's peak resident memory there and on an empty folder (the program itself), as
# measured by /usr/bin/time. Builds with the release preset first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"

n=${1:-150000}
dir=/tmp/rz-bench-ext-$n

cmake -S "$root" --preset release >/dev/null
cmake --build "$root/build/release" --target ravezivured-scan rz-bench-extensions >/dev/null
scan=$root/build/release/app/ravezivured-scan

ensure_tree "$root/build/release/bench/rz-bench-extensions" "$n" "$dir"

peak_kb() { { /usr/bin/time -f '%M' "$scan" "$1" >/dev/null; } 2>&1 | tail -1; }
rows=$("$scan" "$dir" | awk -F'\t' 'NR > 1 && $1 != "Total Files Found"' | wc -l)
echo "rows: $rows (expected $n)"
[[ $rows == "$n" ]] || { echo "the table does not have one row per extension" >&2; exit 1; }
empty=$(mktemp -d /tmp/rz-bench-empty.XXXXXX)
empty_kb=$(peak_kb "$empty")
rmdir "$empty"
tree_kb=$(peak_kb "$dir")
awk -v t="$tree_kb" -v e="$empty_kb" -v n="$n" 'BEGIN {
  printf "scan peak RSS, %d extensions   %.1f MB (%d KB)\n", n, t / 1024, t
  printf "scan peak RSS, empty folder    %.1f MB (%d KB)\n", e / 1024, e
}'
