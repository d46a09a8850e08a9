#!/usr/bin/env bash
# Runs recycle_drive_tests.exe in a Wine folder of its own, made here, where four drive
# letters are folders of this run: R: a removable drive, N: a network drive, S: and T:
# fixed drives (Wine takes a drive's kind from its configuration, read when its server
# starts). Removes the folder afterwards.
#   tests/recycle/drives-without-bins.sh recycle_drive_tests.exe [GTEST ARGS...]
set -euo pipefail
exe=${1:?usage: drives-without-bins.sh recycle_drive_tests.exe [ARGS...]}
shift
run=$(cd "$(dirname "$0")/../../scripts" && pwd)/wine-run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/rz-drives.XXXXXX")
export RZ_WINE_DIR=$work/wine
stop_wine() { WINEPREFIX=$RZ_WINE_DIR/prefix wineserver -k 2>/dev/null || true; }
trap 'stop_wine; rm -rf "$work"' EXIT

for drive in r:floppy n:network s:hd t:hd; do
  "$run" reg add 'HKLM\Software\Wine\Drives' /v "${drive%%:*}:" /t REG_SZ /d "${drive#*:}" /f \
    >/dev/null 2>&1
done
stop_wine
WINEPREFIX=$RZ_WINE_DIR/prefix wineserver -w 2>/dev/null || true
for letter in r n s t; do
  mkdir -p "$work/$letter"
  ln -sfn "$work/$letter" "$RZ_WINE_DIR/prefix/dosdevices/$letter:"
done
"$run" "$exe" "$@"
