#!/usr/bin/env bash
# A delete through the window (rz-bench-delete, Qt's offscreen platform): FOLDERS folders
# holding the same NAMES names each (.txt files; 1,000 x 100 = 100,000 by default), from
# the Yes to the refreshed table, with the longest pause in the progress window's painting;
# then deletes stopped STOP_AFTER seconds after the Yes (default 1.5), with the time from
# the click on Stop to the progress window gone. The tree, the settings and the trash are
# under BENCH_DIR (default /tmp, the disk); GIO=1 also times `gio trash` on the same tree
# once, as the reference of the same run.
#   bench/delete.sh           ROUNDS=3 full deletes, STOP_ROUNDS=3 stopped ones
# Targets: the full delete at most a third of 146 s, paints and Stop within 200 ms.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/bench/common.sh"
folders=${FOLDERS:-1000}
names=${NAMES:-100}
rounds=${ROUNDS:-3}
stop_rounds=${STOP_ROUNDS:-3}
stop_after=${STOP_AFTER:-1.5}

driver=$root/build/release/bench/rz-bench-delete
# The delete goes through the real window and trash: in a sandbox.
confine rz-bench-delete "$@"
tree=$work/tree

# Makes every file of the tree that is missing, empties the trash, writes everything out.
fresh() {
    local d
    rm -rf "$XDG_DATA_HOME"
    for ((d = 0; d < folders; d++)); do
        mkdir -p "$tree/d$d"
        (cd "$tree/d$d" && eval "touch n{0..$((names - 1))}.txt")
    done
    sync
}

field() { awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print }'; }

echo "tree: $folders folders x $names names = $((folders * names)) files in $tree"
seconds=() gaps=() latencies=() stop_gaps=()
for ((r = 1; r <= rounds; r++)); do
    fresh
    out=$("$driver" "$tree" .txt 2>/dev/null)
    seconds+=("$(field seconds <<<"$out")") gaps+=("$(field max_paint_gap_ms <<<"$out")")
    echo "full round $r: $(field seconds <<<"$out") s from Yes to the table," \
        "files $(field files_before <<<"$out") -> $(field files_after <<<"$out")," \
        "$(field progress_paints <<<"$out") paints, longest pause $(field max_paint_gap_ms <<<"$out") ms"
done
for ((r = 1; r <= stop_rounds; r++)); do
    fresh
    out=$("$driver" "$tree" .txt "$stop_after" 2>/dev/null)
    latencies+=("$(field stop_latency_ms <<<"$out")") stop_gaps+=("$(field max_paint_gap_ms <<<"$out")")
    echo "stopped round $r: Stop answered in $(field stop_latency_ms <<<"$out") ms," \
        "longest pause $(field max_paint_gap_ms <<<"$out") ms; report: $(field report <<<"$out")"
done
if [[ ${GIO:-0} == 1 ]]; then
    fresh
    find "$tree" -type f -print0 >"$work/list"
    t0=$(now)
    xargs -0 -n 1000 gio trash <"$work/list"
    t1=$(now)
    echo "gio trash on the same tree: $(awk -v t=$((t1 - t0)) 'BEGIN { printf "%.1f", t / 1e6 }') s"
fi

median_of() { printf '%s\n' "$@" | median; }
echo "full delete: median $(median_of "${seconds[@]}") s (target <= 48.7 s), runs: ${seconds[*]}"
echo "longest pause in painting: $(printf '%s\n' "${gaps[@]}" "${stop_gaps[@]}" | sort -n | tail -1) ms (target <= 200)"
[[ $stop_rounds -gt 0 ]] &&
    echo "Stop answered in: median $(median_of "${latencies[@]}") ms, worst $(printf '%s\n' "${latencies[@]}" | sort -n | tail -1) ms (target <= 200)"
