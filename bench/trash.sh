#!/usr/bin/env bash
# Trashing many small files: the delete executor (one request, as the delete command
# issues it) against `gio trash` given 1,000 names per call, on identical trees, rounds
# alternating which goes first. Both use a temporary trash (HOME and XDG_DATA_HOME under
# the work folder), emptied before every run. Prints each round and the median ratio
# executor / gio trash; the target is at most 1.0.
#   bench/trash.sh            FILES=10000 ROUNDS=5 by default
set -euo pipefail
cd "$(dirname "$0")/.."
files=${FILES:-10000}
rounds=${ROUNDS:-5}
per_dir=100

cmake --preset release >/dev/null
cmake --build --preset release --target trash_bench >/dev/null
driver=$PWD/build/release/bench/trash_bench

work=$(mktemp -d /tmp/rz-bench-trash-XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/data
mkdir -p "$HOME"

# A tree of small files with names unique across the tree, so neither side pays for the
# trash's name-collision search.
make_tree() {
    local root=$1 d i
    for ((d = 0; d < (files + per_dir - 1) / per_dir; d++)); do
        mkdir -p "$root/d$d"
        for ((i = 0; i < per_dir && d * per_dir + i < files; i++)); do
            echo x >"$root/d$d/f${d}_$i.txt"
        done
    done
    find "$root" -type f -print0 >"$root.list"
}

now() { date +%s%N; }

run_executor() {
    local t0 t1
    t0=$(now)
    "$driver" "$work/a.list" >/dev/null
    t1=$(now)
    echo $((t1 - t0))
}

run_gio() {
    local t0 t1
    t0=$(now)
    xargs -0 -n 1000 gio trash <"$work/b.list"
    t1=$(now)
    echo $((t1 - t0))
}

check_all_trashed() {
    local n
    n=$(find "$XDG_DATA_HOME/Trash/files" -type f | wc -l)
    [[ $n -eq $files ]] || { echo "$1 trashed $n of $files" >&2; exit 1; }
    [[ -z $(find "$2" -type f) ]] || { echo "$1 left files behind" >&2; exit 1; }
    rm -rf "$XDG_DATA_HOME/Trash"
    sync
}

# Each run gets the same start: a fresh tree, an empty trash, everything written out.
fresh() {
    rm -rf "$work/$1" "$XDG_DATA_HOME"
    make_tree "$work/$1"
    sync
}

ratios=()
for ((r = 1; r <= rounds; r++)); do
    if ((r % 2)); then
        fresh a; te=$(run_executor); check_all_trashed executor "$work/a"
        fresh b; tg=$(run_gio); check_all_trashed "gio trash" "$work/b"
    else
        fresh b; tg=$(run_gio); check_all_trashed "gio trash" "$work/b"
        fresh a; te=$(run_executor); check_all_trashed executor "$work/a"
    fi
    ratio=$(awk -v e="$te" -v g="$tg" 'BEGIN { printf "%.3f", e / g }')
    ratios+=("$ratio")
    printf 'round %d: executor %.3f s, gio trash %.3f s, ratio %s\n' "$r" \
        "$(awk -v t="$te" 'BEGIN { print t / 1e9 }')" "$(awk -v t="$tg" 'BEGIN { print t / 1e9 }')" "$ratio"
done
median=$(printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
echo "files $files, rounds $rounds, median ratio executor / gio trash: $median (target <= 1.0)"
