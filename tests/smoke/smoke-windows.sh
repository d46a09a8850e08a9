#!/usr/bin/env bash
# Real-input smoke test of the Windows build: ravezivured.exe under Wine on a virtual X
# server, driven with synthetic keys.
#
#   tests/smoke/smoke-windows.sh APP.exe OUT_DIR TEXTS.exe
#
# Confined: bwrap makes a private mount namespace with the rest of the disk read-only.
# Runs itself in a sandbox (scripts/sandbox.sh): it can change nothing outside a fresh
# temporary folder, which holds the folder to choose, Wine's prefix, home and trash, and
# the X server; Wine's "/" in the chooser reaches nothing else that could be changed.
# Prepares a folder there (3,000 .dat files, three .tmp, two .log, one .txt), starts the
# program, waits for the folder chooser that opens by itself and picks the folder in its
# tree with the keyboard, waits for the table. Each delete selects a row and presses Delete
# Files; the question is read with TEXTS.exe (rz-window-texts) and answered Yes only when
# it names the extension meant and that folder, No otherwise. The top row (.dat) goes
# first: its progress window must come up; every other .dat file is then removed behind
# its back, Stop ends the delete and the report follows, with a list (those it found
# gone), closed with Enter. Then the .tmp row. The three .tmp files must be in the trash
# (trash-list) with some but not all of the .dat files, the other .dat files left where
# they were, and nothing else moved. Opens the About box from the window menu, closes the
# window with Esc; the registry must then hold the three column widths and the folder.
# Then starts the program on a folder whose name is not ASCII, which must be shown and
# scanned at once, without the chooser. Screenshots of the chooser, the main window, the
# questions, the progress and report windows and the About box are left in OUT_DIR.
set -uo pipefail
app=${1:?usage: smoke-windows.sh APP.exe OUT_DIR TEXTS.exe}
out=${2:?usage: smoke-windows.sh APP.exe OUT_DIR TEXTS.exe}
texts=${3:?usage: smoke-windows.sh APP.exe OUT_DIR TEXTS.exe}
here=$(cd "$(dirname "$0")" && pwd)

for tool in xvfb-run xdotool xwd xwdtopnm pnmtopng trash-list timeout; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup)" >&2; exit 1; }
done
[[ -f $app && -f $texts ]] || { echo "FAIL: no program at $app or $texts" >&2; exit 1; }
if [[ ${4-} != confined ]]; then
  exec "$here/../../scripts/sandbox.sh" --out "$out" -- "$0" "$app" "$out" "$texts" confined
fi
# Inside the sandbox no display of the outside can be reached: a virtual one of its own.
if [[ -z ${DISPLAY:-} ]]; then
  exec timeout --kill-after=5 420 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

out=$RZ_SANDBOX_OUT wine_dir=$RZ_WINE_DIR
wine_run() { "$here/../../scripts/wine-run.sh" "$@"; }
# The folder to choose: every folder on its way is shown in Wine's tree (none is hidden).
folder=/tmp/tree/Pictures
mkdir -p "$folder/sub/deep" "$folder/photos"
touch "$folder"/{a.tmp,x.log,notes.txt} "$folder"/sub/{b.tmp,y.log} "$folder/sub/deep/c.tmp"
# Enough .dat files for their delete to show its progress for a while (the recycle bin
# takes one file at a time): it is stopped long before its end.
dat_count=3000
(cd "$folder/photos" && eval "touch img{1..$dat_count}.dat")
windows_folder="Z:${folder//\//\\}"
key='HKCU\Software\ostrel.example\File Manager by ostrel.example\Settings'
# No window manager here: Wine draws the frames itself, so a capture of a window holds
# its caption.
wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1

fail() { echo "FAIL: $*" >&2; [[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null; exit 1; }
# window NAME: the id of the visible window titled NAME (a regular expression), waiting up
# to 60 s: the first paint of a window can lag its mapping, and Wine starts slowly on a
# machine busy with other work.
window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# other_window ID...: the id of a visible window captioned as the main window that is none
# of the windows given (the question, the progress and report windows have its caption).
other_window() {
  local id
  for _ in $(seq 600); do
    id=$(xdotool search --onlyvisible --name "^File Manager by ostrel\.example$" 2>/dev/null |
      grep -vxF -f <(printf '%s\n' "$@") | head -n1)
    [[ -n $id ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
# gone_id ID [SECONDS]: waits (up to 30 s) until window ID is no longer shown.
gone_id() {
  for _ in $(seq $((${2:-30} * 10))); do
    xdotool search --onlyvisible --name "" 2>/dev/null | grep -qxF "$1" || return 0
    sleep 0.1
  done
  return 1
}
gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}
# settle: waits for the scan that follows a delete: its "Working..." window comes (unless
# it was too quick to be seen) and goes.
settle() {
  for _ in $(seq 30); do
    xdotool search --onlyvisible --name "^Ostrel File Manager Working\.\.\.$" >/dev/null 2>&1 && break
    sleep 0.1
  done
  gone "^Ostrel File Manager Working\.\.\.$" || fail "the scan after a delete did not end"
  sleep 1
}
shot() { sleep 0.8; xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng >"$out/$2.png"; }
# Keys go to the active window, and with no window manager a window closing may leave none
# active: a click on the window's free area (beside its top labels; a click on the caption
# would start moving it) makes it active again, its focused control unchanged.
focus() { xdotool mousemove --window "$1" 30 45 click 1; sleep 0.3; }

wine_run "$app" >"$out/app.log" 2>&1 &
pid=$!
main=$(window "^File Manager by ostrel\.example$") || fail "the main window did not appear"
chooser=$(window "^Browse for Folder$") || fail "the folder chooser did not open by itself"
shot "$chooser" chooser
# A click on the tree's free area gives it the keyboard. Home is the desktop, Down its first
# item "/", then each folder is opened (Right) and entered (Right) and its child found by
# typing its name.
eval "$(xdotool getwindowgeometry --shell "$chooser")"
xdotool mousemove --window "$chooser" $((WIDTH / 2)) $((HEIGHT * 3 / 4)) click 1
sleep 0.3
xdotool key Home; sleep 0.3; xdotool key Down; sleep 0.3
IFS=/ read -ra parts <<<"${folder#/}"
for part in "${parts[@]}"; do
  xdotool key Right; sleep 0.3; xdotool key Right; sleep 0.3
  xdotool type --delay 60 "$part"; sleep 0.6
done
shot "$chooser" chooser-picked
# OK: left of Cancel at the bottom right (Return would go to the tree).
xdotool mousemove --window "$chooser" $((WIDTH - 133)) $((HEIGHT - 22)) click 1
gone "^Browse for Folder$" || fail "the chooser did not close on OK"
gone "^Ostrel File Manager Working\.\.\.$" || fail "the scan did not end"
sleep 1
shot "$main" main

# delete_row EXT KEYS: selects a row of the list with KEYS and presses Delete Files. The
# question is answered Yes only when it is about EXT in the folder prepared: a wrong pick in
# the chooser, or a wrong row, gets No and fails the test with nothing deleted. Wherever
# the focus was, Alt+T puts it on the total, three tab stops after the list; Delete Files
# is the fifth after the list (folder, "...", total, total size).
delete_row() {
  local ext=$1
  shift
  focus "$main"
  xdotool key alt+t shift+Tab shift+Tab shift+Tab; sleep 0.3
  xdotool key "$@"; sleep 0.3
  xdotool key Tab Tab Tab Tab Tab space
  question=$(other_window "$main") || fail "Delete Files asked no question"
  shot "$question" "question-${ext#.}"
  wine_run "$texts" "File Manager by ostrel.example" 2>/dev/null | tr -d '\r' >"$out/texts.txt"
  local asked="Are you sure you wish to delete $ext files in folder (including sub folders) $windows_folder ?"
  if ! grep -qxF "$asked" "$out/texts.txt"; then
    xdotool key n
    fail "the question is not about $ext in $windows_folder; the windows say: $(cat "$out/texts.txt")"
  fi
  xdotool key Return
  gone_id "$question" || fail "the question did not close"
}

# The top row is .dat: its progress window comes up over the main window. Every other .dat
# file (the odd numbers) then goes behind the delete's back: those it reaches are listed in
# its report as gone. Stop ends the delete, and the report follows. (On a busy machine the
# first click may reach the window before it heeds it: Stop is clicked until it goes.)
delete_row .dat Home
progress=$(other_window "$main") || fail "the delete of the .dat files showed no progress"
(cd "$folder/photos" && eval "rm -f img{1..$dat_count..2}.dat")
shot "$progress" progress
eval "$(xdotool getwindowgeometry --shell "$progress")"
for _ in $(seq 10); do
  xdotool mousemove --window "$progress" $((WIDTH - 42)) $((HEIGHT - 24)) click 1 2>/dev/null || break
  gone_id "$progress" 2 && break
done
report=$(other_window "$main" "$progress") || fail "the stopped delete showed no report"
gone_id "$progress" || fail "the progress window stayed after the delete"
shot "$report" report
eval "$(xdotool getwindowgeometry --shell "$report")"
((HEIGHT > 200)) || fail "the report ($WIDTH x $HEIGHT) has no list of the files found gone"
xdotool key Return
gone_id "$report" || fail "Enter did not close the report"
settle

# The .tmp row (three files) is now the second: a delete too quick for progress.
delete_row .tmp Home Down
for _ in $(seq 100); do
  [[ -e $folder/a.tmp || -e $folder/sub/b.tmp || -e $folder/sub/deep/c.tmp ]] || break
  sleep 0.1
done
settle

# The About box from the window menu: its last item.
focus "$main"
xdotool key alt+space; sleep 0.8
xdotool key Up Return
about=$(window "^About Ostrel File Manager$") || fail "the About box did not open"
shot "$about" about
xdotool key Return
gone "^About Ostrel File Manager$" || fail "the About box did not close"

focus "$main"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Esc"
wait "$pid" || fail "the program ended with status $?"
pid=

# What the deletes did: the three .tmp files and the .dat files moved before the stop are in
# the trash, the other .dat files and everything else stayed.
XDG_DATA_HOME=$wine_dir/data trash-list | grep -F "$folder/" | sort >"$out/trash-list.txt"
sed 's/^[^/]*//' "$out/trash-list.txt" >"$out/trashed.txt"
printf '%s\n' "$folder/a.tmp" "$folder/sub/b.tmp" "$folder/sub/deep/c.tmp" | sort >"$out/expected.txt"
grep -v '\.dat$' "$out/trashed.txt" | diff -u "$out/expected.txt" - ||
  fail "besides .dat files, the trash does not hold exactly the .tmp files"
# Each .dat file of an even number is either in the trash or where it was.
dat_trashed=$(grep -c "^$folder/photos/img[0-9]*\.dat$" "$out/trashed.txt")
even_trashed=$(grep "^$folder/photos/img[0-9]*[02468]\.dat$" "$out/trashed.txt" | wc -l)
dat_left=$(find "$folder/photos" -name '*.dat' | wc -l)
((dat_trashed > 0 && dat_left > 0)) ||
  fail "$dat_trashed .dat files went to the trash and $dat_left stayed; the stop should keep some"
((even_trashed + dat_left == dat_count / 2)) ||
  fail "$even_trashed of the $((dat_count / 2)) even .dat files in the trash and $dat_left left"
for kept in x.log notes.txt sub/y.log sub sub/deep; do
  [[ -e $folder/$kept ]] || fail "$kept was moved"
done
# What the window saved: the four widths, sizes shown, and the folder.
wine_run reg query "$key" 2>/dev/null | tr -d '\r' >"$out/registry.txt"
for column in 0 1 2 3; do
  grep -Eq "^ +Column$column +REG_DWORD +0x[0-9a-f]+$" "$out/registry.txt" ||
    fail "no width of column $column: $(cat "$out/registry.txt")"
done
grep -Eq "^ +ShowSizes +REG_DWORD +0x1$" "$out/registry.txt" ||
  fail "ShowSizes is not 1: $(cat "$out/registry.txt")"
grep -qF "FolderPath    REG_SZ    $windows_folder" "$out/registry.txt" ||
  fail "FolderPath is not $windows_folder: $(cat "$out/registry.txt")"

# Started on a folder whose name is not ASCII: the arguments arrive as UTF-16 and must name
# that folder, which is scanned at once; a wrong name would bring a message and the chooser.
given=/tmp/tree/"Fotos é ü"
windows_given="Z:${given//\//\\}"
mkdir -p "$given/sub" && touch "$given"/{a.tmp,sub/b.log}
LC_ALL=C.UTF-8 wine_run "$app" "$windows_given" >"$out/app-given.log" 2>&1 &
pid=$!
main=$(window "^File Manager by ostrel\.example$") || fail "the main window did not appear"
gone "^Ostrel File Manager Working\.\.\.$" || fail "the scan of the given folder did not end"
sleep 2
shot "$main" main-given
! xdotool search --onlyvisible --name "^Browse for Folder$" >/dev/null 2>&1 ||
  fail "the chooser opened on a start with a folder"
LC_ALL=C.UTF-8 wine_run "$texts" "File Manager by ostrel.example" 2>/dev/null | tr -d '\r' >"$out/texts-given.txt"
grep -qxF "$windows_given" "$out/texts-given.txt" ||
  fail "the window does not show $windows_given; the windows say: $(cat "$out/texts-given.txt")"
focus "$main"
xdotool key Escape
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Esc"
pid=

echo "PASS: picked $windows_folder; the delete of its .dat files showed progress, stopped on Stop"
echo "      ($dat_trashed moved) and listed the files found gone; its three .tmp files went to the trash;"
echo "      the widths, ShowSizes and the folder were saved; started on $windows_given, it was scanned at once;"
echo "      screenshots in $2"
