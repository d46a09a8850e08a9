#!/usr/bin/env bash
# Real-input smoke test: the program on a virtual X server, driven with synthetic keys.
#
#   tests/smoke/smoke.sh APP OUT_DIR
#
# Confined: bwrap makes a private mount namespace with the rest of the disk read-only.
# Runs itself in a sandbox (scripts/sandbox.sh): it can change nothing outside a fresh
# temporary folder, which holds the folder to choose, the home, the settings and the X
# server. Starts APP (the ravezivured binary), waits for the folder chooser that opens by
# itself, types the path of a prepared folder into it and presses Enter, waits for the
# table, saves a screenshot as OUT_DIR/smoke.png (copied out when the sandbox ends), closes
# the main window with Esc and checks that the program ended and saved that folder in its
# settings.
# Exit status 0: passed; 77: skipped (no virtual X server); anything else: failed.
set -uo pipefail

app=${1:?usage: smoke.sh APP OUT_DIR}
out=${2:?usage: smoke.sh APP OUT_DIR}
here=$(cd "$(dirname "$0")" && pwd)

for tool in xvfb-run xdotool xwd xwdtopnm pnmtopng timeout; do
  if ! command -v "$tool" >/dev/null; then
    if [[ $tool == xvfb-run ]]; then
      echo "SKIP: xvfb-run is not installed (scripts/setup installs it)"
      exit 77
    fi
    echo "FAIL: $tool is not installed (scripts/setup installs it)" >&2
    exit 1
  fi
done
[[ -x $app ]] || { echo "FAIL: no program at $app" >&2; exit 1; }
if [[ ${3-} != confined ]]; then
  exec "$here/../../scripts/sandbox.sh" --out "$out" -- "$0" "$app" "$out" confined
fi

# The folder to choose: 5 .jpg, 2 .txt, 1 .ini.
folder=/tmp/Pictures
mkdir -p "$folder/trip/day 2"
touch "$folder"/{a,b}.jpg "$folder"/trip/{c,d}.jpg "$folder/trip/day 2/e.jpg" \
  "$folder/notes.txt" "$folder/trip/list.txt" "$folder/trip/desktop.ini"

export APP=$app FOLDER=$folder SHOT=$RZ_SANDBOX_OUT/smoke.png OUT_DIR=$out QT_QPA_PLATFORM=xcb
# For a sanitizer build: leaks of system libraries are not the program's.
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

# Everything on the X server is bounded by the outer timeout; each wait inside is bounded
# too, so that a failure names the step that did not happen.
timeout --kill-after=5 90 xvfb-run -a -s "-screen 0 1280x900x24" bash -uo pipefail -c '
  fail() { echo "FAIL: $*" >&2; exit 1; }
  "$APP" >"$XDG_RUNTIME_DIR/app.log" 2>&1 & pid=$!
  trap "kill $pid 2>/dev/null; sleep 0.2; kill -9 $pid 2>/dev/null" EXIT
  alive() { kill -0 $pid 2>/dev/null; }
  # find NAME SECONDS: the id of a visible window titled NAME (a regular expression).
  window_named() {
    timeout "$2" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n1
  }
  # gone NAME SECONDS: waits until no visible window is titled NAME.
  gone() {
    for _ in $(seq $(($2 * 10))); do
      xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
      sleep 0.1
    done
    return 1
  }

  main=$(window_named "^File Manager by " 20) || true
  [[ -n $main ]] || { cat "$XDG_RUNTIME_DIR/app.log" >&2; fail "the main window did not appear"; }
  chooser=$(window_named "^Please Select the Desired Folder\.$" 20) || true
  [[ -n $chooser ]] || fail "the folder chooser did not open by itself"

  # The chooser opens with its name field focused: type the path there and press Enter.
  xdotool windowfocus --sync "$chooser" || fail "could not focus the chooser"
  sleep 0.3
  xdotool type --delay 5 "$FOLDER" || fail "could not type"
  sleep 0.3
  # Enter may first close the completion list that typing opened; then it chooses.
  for _ in 1 2 3; do
    xdotool key Return
    gone "^Please Select the Desired Folder\.$" 2 && break
  done
  gone "^Please Select the Desired Folder\.$" 1 || fail "the chooser did not take the typed folder"

  # The scan: the "Working..." window comes and goes (it may be too quick to be seen).
  gone "^Ostrel File Manager Working\.\.\.$" 30 || fail "the scan did not end"
  sleep 1
  alive || fail "the program ended by itself"
  title=$(xdotool getwindowname "$main")
  [[ $title == "File Manager by ostrel.example" ]] || fail "unexpected title: $title"
  xwd -silent -root | xwdtopnm 2>/dev/null | pnmtopng >"$SHOT" || fail "no screenshot"
  echo "screenshot: $OUT_DIR/smoke.png"

  xdotool windowfocus --sync "$main" || fail "could not focus the main window"
  xdotool key Escape
  for _ in $(seq 100); do alive || break; sleep 0.1; done
  alive && fail "the program did not end after Esc"
  wait $pid; status=$?
  trap - EXIT
  [[ $status == 0 ]] || { cat "$XDG_RUNTIME_DIR/app.log" >&2; fail "the program ended with status $status"; }
'
status=$?
if [[ $status == 124 || $status == 137 ]]; then
  echo "FAIL: the smoke test did not finish within 90 seconds" >&2
  exit 1
fi
[[ $status == 0 ]] || exit 1

conf="$XDG_CONFIG_HOME/ostrel.example/File Manager by ostrel.example.conf"
[[ -f $conf ]] || { echo "FAIL: no settings file at $conf" >&2; exit 1; }
if ! grep -qxF "FolderPath=$folder" "$conf"; then
  echo "FAIL: the settings do not hold FolderPath=$folder:" >&2
  cat "$conf" >&2
  exit 1
fi
# Nothing else in the configuration folder: the chooser keeps no history of its own.
others=$(cd "$XDG_CONFIG_HOME" && find . -mindepth 1 ! -path ./ostrel.example ! -path "./ostrel.example/File Manager by ostrel.example.conf")
[[ -z $others ]] || { echo "FAIL: files besides the settings in $XDG_CONFIG_HOME: $others" >&2; exit 1; }
echo "PASS: chose $folder with the keyboard; it was saved as the folder, and nothing else was kept"
