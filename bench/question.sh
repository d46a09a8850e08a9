#!/usr/bin/env bash
# The delete's question through the window (rz-bench-question, Qt's offscreen platform):
# on a tree of FOLDERS folders holding NAMES .dat files each (1,000 x 100 = 100,000 by
# default) and five .txt and two .jpg files each, warm, the time from the click on Delete
# Files (with .dat selected) to the question drawn, and from its "Show Files" to the list
# drawn. The question is answered No: nothing is moved. The reference, run alternately in
# the same run on the same tree: `find TREE -name '*.dat' | wc -l`.
#   bench/question.sh         ROUNDS=7 (at least 5)
# Target: the question within 1.5 s, the list at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"
folders=${FOLDERS:-1000}
names=${NAMES:-100}
rounds=${ROUNDS:-7}
((rounds >= 5)) || { echo "ROUNDS must be at least 5" >&2; exit 2; }

driver=$root/build/release/bench/rz-bench-question
# The window can reach the delete: it runs in a sandbox.
confine rz-bench-question "$@"
tree=$work/tree
for ((d = 0; d < folders; d++)); do
    mkdir -p "$tree/d$d"
    (cd "$tree/d$d" && eval "touch n{0..$((names - 1))}.dat t{0..4}.txt p{0..1}.jpg")
done
expected=$((folders * names))

field() { awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print }'; }
us() { awk -v s="$1" 'BEGIN { printf "%d", s * 1e6 }'; }

# Warms the cache and checks the question counts every file and lists them all.
out=$("$driver" "$tree" .dat 2>/dev/null)
echo "tree: $folders folders x ($names .dat + 7 others) in $tree"
echo "question: $(field question <<<"$out"); listed $(field listed <<<"$out"); answer $(field answer <<<"$out")"
[[ $(field listed <<<"$out") == "$expected" && $(field answer <<<"$out") == no ]] ||
    { echo "the question does not list the $expected files" >&2; exit 1; }
[[ $(find "$tree" -name '*.dat' | wc -l) == "$expected" ]]

questions=() lists=() finds=() ratios=()
for ((r = 0; r < rounds; r++)); do
    out=$("$driver" "$tree" .dat 2>/dev/null)
    q=$(us "$(field question_seconds <<<"$out")")
    t0=$(now); find "$tree" -name '*.dat' | wc -l >/dev/null; t1=$(now)
    questions+=("$q") lists+=("$(us "$(field list_seconds <<<"$out")")") finds+=($((t1 - t0)))
    ratios+=("$(awk -v a="$q" -v b=$((t1 - t0)) 'BEGIN { printf "%.4f", a / b }')")
done

median_of() { printf '%s\n' "$@" | median; }
q=$(median_of "${questions[@]}") l=$(median_of "${lists[@]}") f=$(median_of "${finds[@]}")
awk -v q="$q" -v l="$l" -v f="$f" -v p="$(median_of "${ratios[@]}")" -v n="$rounds" 'BEGIN {
  printf "click to question drawn     median %.3f s   (%d runs; target <= 1.5 s)\n", q / 1e6, n
  printf "Show Files to list drawn    median %.3f s\n", l / 1e6
  printf "find -name | wc -l          median %.3f s\n", f / 1e6
  printf "ratio of medians            %.2f\n", q / f
  printf "median pair ratio           %.2f\n", p
}'
echo "question runs (us): ${questions[*]}"
echo "list runs (us):     ${lists[*]}"
echo "find runs (us):     ${finds[*]}"
