# The --sizes part of bench/scan.sh (sourced by it once the tree is ready and warm; uses its
# variables and functions: scan, dir, pairs, cold, timed, count_find, median).

du_sizes() { du -s --apparent-size "$dir"; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }
med() { printf '%s\n' "$@" | median; }

echo "bytes: ravezivured-scan --sizes $("$scan" --sizes "$dir" | awk -F'\t' '$1=="Total Files Found" {print $3}')" \
  "(files only), du --apparent-size $(du -s --apparent-size -B1 "$dir" | cut -f1) (folders too)"

with=() du_t=() without=() find_t=() base=()
for ((i = 0; i < pairs; i++)); do
  timed with "$scan" --sizes "$dir"
  timed du_t du_sizes
  timed without "$scan" "$dir"
  timed find_t count_find
  [[ -n ${BASELINE:-} ]] && timed base "$BASELINE" "$dir"
done
echo "warm cache ($pairs rounds, medians)"
echo "scan --sizes       $(ratio "$(med "${with[@]}")" 1e6) s"
echo "du --apparent-size $(ratio "$(med "${du_t[@]}")" 1e6) s"
echo "scan               $(ratio "$(med "${without[@]}")" 1e6) s"
echo "find | wc -l       $(ratio "$(med "${find_t[@]}")" 1e6) s"
echo "sizes / du         $(ratio "$(med "${with[@]}")" "$(med "${du_t[@]}")")"
echo "scan / find        $(ratio "$(med "${without[@]}")" "$(med "${find_t[@]}")")"
if [[ -n ${BASELINE:-} ]]; then
  echo "baseline           $(ratio "$(med "${base[@]}")" 1e6) s"
  echo "scan / baseline    $(ratio "$(med "${without[@]}")" "$(med "${base[@]}")")"
fi

if [[ -w /proc/sys/vm/drop_caches ]]; then
  cold=1 cold_with=() cold_du=()
  for ((i = 0; i < ${COLD_PAIRS:-3}; i++)); do
    timed cold_with "$scan" --sizes "$dir"
    timed cold_du du_sizes
  done
  cold=0
  echo "cold cache (${COLD_PAIRS:-3} rounds, medians)"
  echo "scan --sizes       $(ratio "$(med "${cold_with[@]}")" 1e6) s"
  echo "du --apparent-size $(ratio "$(med "${cold_du[@]}")" 1e6) s"
  echo "cold sizes / du    $(ratio "$(med "${cold_with[@]}")" "$(med "${cold_du[@]}")")"
  echo "cold runs (us): scan --sizes ${cold_with[*]}; du ${cold_du[*]}"
else
  echo "cold cache: skipped (dropping the cache needs root)"
fi
peak_kb=$( { /usr/bin/time -f '%M' "$scan" --sizes "$dir" >/dev/null; } 2>&1 | tail -1)
awk -v k="$peak_kb" 'BEGIN { printf "scan --sizes peak RSS %.1f MB (%d KB)\n", k / 1024, k }'
echo "warm runs (us): scan --sizes ${with[*]}; du ${du_t[*]}; scan ${without[*]}; find ${find_t[*]}"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
