#!/usr/bin/env bash
# Times the Windows delete under Wine: a folder's files handed to the shell a call at a
# time (the delete's way) against one file a call, on identical trees, in the same run.
#
#   bench/recycle-wine.sh [FOLDERS [FILES_PER_FOLDER [ROUNDS]]]     (default 10 200 3)
#
# Builds rz-bench-recycle.exe (windows preset) and runs it on a virtual X server (the
# shell's recycle bin wants a display) in a Wine folder of its own under /tmp, whose
# recycle bin is its desktop trash; the trees are made there too, and everything is
# removed afterwards. Prints each run's calls per file and files per second, the medians
# and their ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

cmake -S "$root" --preset windows >/dev/null
cmake --build "$root/build/windows" --target rz-bench-recycle >/dev/null
work=$(mktemp -d /tmp/rz-bench-recycle.XXXXXX)
export RZ_WINE_DIR=$work/wine
trap 'WINEPREFIX=$RZ_WINE_DIR/prefix wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

xvfb-run -a -s "-screen 0 1024x768x24" "$root/scripts/wine-run.sh" \
  "$root/build/windows/bench/rz-bench-recycle.exe" "Z:${work//\//\\}\\trees" "$@"
echo "(calls: calls of the shell; the trash: $(find "$RZ_WINE_DIR/data/Trash/files" -type f | wc -l) files)"
