#!/usr/bin/env bash
# Trashing many small files: the delete executor (one request, as the delete command
# issues it) against `gio trash` given 1,000 names per call, on identical trees, rounds
# alternating which goes first. Both use a temporary trash (HOME and XDG_DATA_HOME under
# the work folder), emptied before every run. Prints each round and the median ratio
# executor / gio trash; the target is at most 1.0.
#   bench/trash.sh            FILES=10000 ROUNDS=7 by default
# Both sides make the same system calls per file; what differs is the process starts and
# whatever the executor adds. On a disk, journal and write-back timing swamps that
# difference from one run to the next, so the work folder (tree and trash) goes on a
# memory file system when there is one: BENCH_DIR=/tmp measures on the disk instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
files=${FILES:-10000}
rounds=${ROUNDS:-7}
per_dir=100

cmake --preset release >/dev/null
cmake --build --preset release --target trash_bench >/dev/null
driver=$PWD/build/release/bench/trash_bench

base=${BENCH_DIR:-/dev/shm}
[[ -d $base && -w $base ]] || base=/tmp
work=$(mktemp -d "$base/rz-bench-trash-XXXXXX")
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

# Prints "wall cpu" in seconds for one run: elapsed time, and user + system time of the
# command and its children (GNU time).
timed() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null
    awk '{ printf "%s %.3f", $1, $2 + $3 }' "$work/time"
}

run_executor() { timed "$driver" "$work/a.list"; }

run_gio() { timed sh -c 'xargs -0 -n 1000 gio trash <"$1"' sh "$work/b.list"; }

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

walls=() cpus=()
for ((r = 1; r <= rounds; r++)); do
    if ((r % 2)); then
        fresh a; te=$(run_executor); check_all_trashed executor "$work/a"
        fresh b; tg=$(run_gio); check_all_trashed "gio trash" "$work/b"
    else
        fresh b; tg=$(run_gio); check_all_trashed "gio trash" "$work/b"
        fresh a; te=$(run_executor); check_all_trashed executor "$work/a"
    fi
    read -r ew ec <<<"$te"
    read -r gw gc <<<"$tg"
    wall=$(awk -v e="$ew" -v g="$gw" 'BEGIN { printf "%.3f", e / g }')
    cpu=$(awk -v e="$ec" -v g="$gc" 'BEGIN { printf "%.3f", e / g }')
    walls+=("$wall") cpus+=("$cpu")
    printf 'round %d: executor %s s (cpu %s s), gio trash %s s (cpu %s s), ratio %s (cpu %s)\n' \
        "$r" "$ew" "$ec" "$gw" "$gc" "$wall" "$cpu"
done
echo "files $files, rounds $rounds, median ratio executor / gio trash: elapsed $(printf '%s\n' "${walls[@]}" | median), cpu $(printf '%s\n' "${cpus[@]}" | median) (target <= 1.0)"
