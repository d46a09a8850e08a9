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

# confine TARGET "$@": for a benchmark that drives the window and could reach a delete.
# Outside a sandbox, builds TARGET (release preset) and runs the calling script again in
# one (scripts/sandbox.sh, made below BENCH_DIR, default /tmp), where nothing but its own
# folder can change. Inside (first argument "confined"), makes the run's folder $work
# (removed at exit) and points HOME, the XDG folders and Qt (offscreen) at it.
confine() {
  local target=$1
  if [[ ${2-} != confined ]]; then
    cmake -S "$root" --preset release >/dev/null
    cmake --build "$root/build/release" --target "$target" >/dev/null
    TMPDIR=${BENCH_DIR:-/tmp} exec "$root/scripts/sandbox.sh" -- "$0" confined
  fi
  work=$(mktemp -d "/tmp/$target-XXXXXX")
  trap 'rm -rf "$work"' EXIT
  chmod 700 "$work"
  export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work
  export HOME=$work QT_QPA_PLATFORM=offscreen
}
