#!/usr/bin/env bash
# "Open With" on a folder, as a file manager does it: the desktop entry launched with the
# folder by GLib's launcher (gio launch), on a virtual X server.
#
#   tests/smoke/open-with.sh APP ENTRY
#
# ENTRY (the desktop entry) must pass validation and say it opens folders; launched on a
# folder whose name has a space and an apostrophe, the window (APP, found on PATH as the
# entry's Exec names it) must scan that folder without opening the chooser, and save it as
# the folder shown when Esc closes it.
# Confined: bwrap makes a private mount namespace with the rest of the disk read-only.
# Runs itself in a sandbox (scripts/sandbox.sh): it can change nothing outside a fresh
# temporary folder, whatever the window does.
# Exit status 0: passed; 77: skipped (no virtual X server); anything else: failed.
set -uo pipefail

app=${1:?usage: open-with.sh APP ENTRY}
entry=${2:?usage: open-with.sh APP ENTRY}

command -v xvfb-run >/dev/null || { echo "SKIP: xvfb-run is not installed"; exit 77; }
for tool in gio xdotool timeout desktop-file-validate; do
  command -v "$tool" >/dev/null ||
    { echo "FAIL: $tool is not installed (scripts/setup installs it)" >&2; exit 1; }
done
desktop-file-validate "$entry" || { echo "FAIL: desktop-file-validate $entry" >&2; exit 1; }
# GLib's launcher appends the folder even to an Exec without a field code; others do not.
grep -qx 'MimeType=inode/directory;' "$entry" && grep -qE '^Exec=ravezivured %[fu]$' "$entry" ||
  { echo "FAIL: $entry does not take a folder" >&2; exit 1; }

if [[ ${3-} != confined ]]; then
  exec "$(cd "$(dirname "$0")" && pwd)/../../scripts/sandbox.sh" -- "$0" "$app" "$entry" confined
fi

tmp=$(mktemp -d /tmp/rz-open-with.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
folder="$tmp/Bob's Pictures"
mkdir -p "$folder/trip" "$tmp/bin"
touch "$folder"/{a,b}.jpg "$folder/trip/c.jpg" "$folder/notes.txt"
ln -s "$app" "$tmp/bin/ravezivured"

export ENTRY=$entry FOLDER=$folder PATH=$tmp/bin:$PATH
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
export XDG_RUNTIME_DIR=$tmp/runtime QT_QPA_PLATFORM=xcb
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

timeout --kill-after=5 90 xvfb-run -a -s "-screen 0 1024x768x24" bash -uo pipefail -c '
  fail() { echo "FAIL: $*" >&2; exit 1; }
  gio launch "$ENTRY" "$FOLDER" || fail "gio launch could not start the entry"
  main=$(timeout 20 xdotool search --sync --onlyvisible --name "^File Manager by " | head -n1)
  [[ -n $main ]] || fail "no window appeared"
  pid=$(xdotool getwindowpid "$main")
  trap "kill $pid 2>/dev/null" EXIT
  # The scan ends with the "Working..." window gone and the table filled; no chooser.
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "Working\.\.\.$" >/dev/null 2>&1 || break
    sleep 0.1
  done
  sleep 1
  ! xdotool search --onlyvisible --name "^Please Select" >/dev/null 2>&1 ||
    fail "the chooser opened"
  xdotool windowfocus --sync "$main" key Escape
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || exit 0; sleep 0.1; done
  fail "the window did not close on Esc"
'
[[ $? == 0 ]] || exit 1

conf="$XDG_CONFIG_HOME/ostrel.example/File Manager by ostrel.example.conf"
grep -qxF "FolderPath=$folder" "$conf" 2>/dev/null || {
  echo "FAIL: the settings do not hold FolderPath=$folder:" >&2
  cat "$conf" >&2
  exit 1
}
echo "PASS: opened $folder from the desktop entry"
