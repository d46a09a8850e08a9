#!/usr/bin/env bash
# Trashing many small files: the delete executor (trash_bench: one request with the
# collection's record, as the delete command issues it; the whole process timed, making
# the record included) against `gio trash` given 1,000 names per call, on identical
# trees, rounds alternating which goes first. Both use a temporary trash (HOME and XDG_DATA_HOME under
# the work folder), emptied before every run.
#   bench/trash.sh            all three cases below
#   bench/trash.sh unique     10,000 files with names unique across the tree (FILES=...)
#   bench/trash.sh same       4,000 files all named desktop.ini, one per folder (SAME=...)
#   bench/trash.sh linear     the executor on SAME and 2 x SAME such files
# ROUNDS (default 7; 5 for the same-names case, where `gio trash` takes long) rounds each.
# Prints each round and the median ratio; targets: unique <= 0.50, same <= 0.05 of
# `gio trash`, linear <= 2.2.
# Both sides make system calls per file; on a disk, journal and write-back timing swamps
# the difference from one run to the next, so the work folder (tree and trash) goes on a
# memory file system when there is one: BENCH_DIR=/tmp measures on the disk instead.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/common.sh
files=${FILES:-10000}
same=${SAME:-4000}
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

# unique ROOT N: N small files, 100 per folder, names unique across the tree.
unique() {
    local root=$1 n=$2 d i
    for ((d = 0; d < (n + per_dir - 1) / per_dir; d++)); do
        mkdir -p "$root/d$d"
        for ((i = 0; i < per_dir && d * per_dir + i < n; i++)); do
            echo x >"$root/d$d/f${d}_$i.txt"
        done
    done
}

# same ROOT N: N folders holding one desktop.ini each.
same() {
    local root=$1 n=$2 d
    mkdir -p "$root"
    (cd "$root" && seq -f 'd%.0f' 0 $((n - 1)) | xargs mkdir)
    for ((d = 0; d < n; d++)); do
        echo x >"$root/d$d/desktop.ini"
    done
}

# Prints "wall cpu" in seconds for one run: elapsed time, and user + system time of the
# command and its children (GNU time).
timed() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null
    awk '{ printf "%s %.3f", $1, $2 + $3 }' "$work/time"
}

run_executor() { timed "$driver" "$work/$1.list"; }
run_gio() { timed sh -c 'xargs -0 -n 1000 gio trash <"$1"' sh "$work/$1.list"; }

# fresh NAME MAKE N: a fresh tree NAME made by MAKE with N files, its list, an empty
# trash, everything written out.
fresh() {
    rm -rf "${work:?}/$1" "$XDG_DATA_HOME"
    "$2" "$work/$1" "$3"
    find "$work/$1" -type f -print0 >"$work/$1.list"
    sync
}

check_all_trashed() {
    local n
    n=$(find "$XDG_DATA_HOME/Trash/files" -type f | wc -l)
    [[ $n -eq $2 ]] || { echo "$1 trashed $n of $2" >&2; exit 1; }
    [[ -z $(find "$work/$3" -type f) ]] || { echo "$1 left files behind" >&2; exit 1; }
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }

# versus_gio LABEL MAKE N ROUNDS TARGET: the executor against gio trash on N files.
versus_gio() {
    local label=$1 make=$2 n=$3 rounds=$4 target=$5 r te tg ew ec gw gc
    local walls=() cpus=()
    for ((r = 1; r <= rounds; r++)); do
        if ((r % 2)); then
            fresh a "$make" "$n"; te=$(run_executor a); check_all_trashed executor "$n" a
            fresh b "$make" "$n"; tg=$(run_gio b); check_all_trashed "gio trash" "$n" b
        else
            fresh b "$make" "$n"; tg=$(run_gio b); check_all_trashed "gio trash" "$n" b
            fresh a "$make" "$n"; te=$(run_executor a); check_all_trashed executor "$n" a
        fi
        read -r ew ec <<<"$te"
        read -r gw gc <<<"$tg"
        walls+=("$(ratio "$ew" "$gw")") cpus+=("$(ratio "$ec" "$gc")")
        printf '%s round %d: executor %s s (cpu %s s), gio trash %s s (cpu %s s), ratio %s\n' \
            "$label" "$r" "$ew" "$ec" "$gw" "$gc" "${walls[-1]}"
    done
    echo "$label: $n files, $rounds rounds, median ratio executor / gio trash:" \
        "elapsed $(printf '%s\n' "${walls[@]}" | median)," \
        "cpu $(printf '%s\n' "${cpus[@]}" | median) (target <= $target)"
}

# The executor's own time for the files of list NAME, as the driver measures it (its
# start and its reading of the list left out, which the 10 ms steps of GNU time blur).
executor_seconds() { "$driver" "$work/$1.list" | awk '$1 == "seconds" { print $2 }'; }

# linear ROUNDS: the executor on SAME and on 2 x SAME files of one name, alternately.
linear() {
    local rounds=$1 r w1 w2
    local ratios=()
    for ((r = 1; r <= rounds; r++)); do
        fresh a same "$same"; w1=$(executor_seconds a); check_all_trashed executor "$same" a
        fresh b same $((2 * same)); w2=$(executor_seconds b); check_all_trashed executor $((2 * same)) b
        ratios+=("$(ratio "$w2" "$w1")")
        printf 'linear round %d: %d files %s s, %d files %s s, ratio %s\n' \
            "$r" "$same" "$w1" $((2 * same)) "$w2" "${ratios[-1]}"
    done
    echo "linear: median time of $((2 * same)) / $same files of one name:" \
        "$(printf '%s\n' "${ratios[@]}" | median) (target <= 2.2)"
}

case ${1:-all} in
unique) versus_gio unique unique "$files" "${ROUNDS:-7}" 0.50 ;;
same) versus_gio same same "$same" "${ROUNDS:-5}" 0.05 ;;
linear) linear "${ROUNDS:-7}" ;;
all)
    versus_gio unique unique "$files" "${ROUNDS:-7}" 0.50
    versus_gio same same "$same" "${ROUNDS:-5}" 0.05
    linear "${ROUNDS:-7}"
    ;;
*) echo "usage: bench/trash.sh [unique|same|linear|all]" >&2; exit 2 ;;
esac
