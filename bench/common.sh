# Shared by the benchmark scripts (sourced, not run).

# Microseconds of wall time, without starting a process to read the clock.
now() { local t=${EPOCHREALTIME/[.,]/}; echo "$t"; }

# The median of the numbers on standard input, one per line.
median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

# ensure_tree GENERATOR N DIR: generates DIR with N files by the seeded generator (the same
# tree every time) unless it was generated before; an existing folder that was not
# generated here is used as it is.
ensure_tree() {
  local generate=$1 n=$2 dir=$3
  local stamp="$dir.rz-bench"
  if [[ -f $stamp && $(cat "$stamp") == "$n" ]]; then
    echo "reusing $dir ($n files)"
  elif [[ ! -e $dir ]]; then
    echo "generating $dir ($n files) ..."
    "$generate" "$n" "$dir"
    echo "$n" >"$stamp"
  else
    echo "using $dir as it is (not generated here)"
  fi
}
