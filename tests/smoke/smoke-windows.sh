#!/usr/bin/env bash
# Real-input smoke test of the Windows build: ravezivured.exe under Wine on a virtual X
# server, driven with synthetic keys.
#
#   tests/smoke/smoke-windows.sh APP.exe OUT_DIR TEXTS.exe
#
# Runs itself in a sandbox (scripts/sandbox.sh): it can change nothing outside a fresh
# temporary folder, which holds the folder to choose, Wine's prefix, home and trash, and
# the X server; Wine's "/" in the chooser reaches nothing else that could be changed.
# Prepares a folder there (three .tmp files, two .log, one .txt), starts the program, waits
# for the folder chooser that opens by itself and picks the folder in its tree with the
# keyboard, waits for the table, selects the top row (.tmp) and presses Delete Files; reads
# the question with TEXTS.exe (rz-window-texts) and answers Yes only when it names .tmp and
# that folder, No otherwise. The three .tmp files must be in the trash (trash-list) and
# nothing else moved. Opens the About box from the window menu, closes the window with Esc;
# the registry must then hold the three column widths and the folder. Then starts the
# program on a folder whose name is not ASCII, which must be shown and scanned at once,
# without the chooser. Screenshots of the chooser, the main window, the question and the
# About box are left in OUT_DIR.
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
mkdir -p "$folder/sub/deep"
touch "$folder"/{a.tmp,x.log,notes.txt} "$folder"/sub/{b.tmp,y.log} "$folder/sub/deep/c.tmp"
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
gone() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
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

# The top row is .tmp (three files). From the list, Delete Files is the fourth tab stop.
focus "$main"
xdotool key Home; sleep 0.3
xdotool key Tab Tab Tab Tab space
# The question has the window's caption too.
for _ in $(seq 100); do
  question=$(xdotool search --onlyvisible --name "^File Manager by ostrel\.example$" | grep -vx "$main" | head -n1)
  [[ -n $question ]] && break
  sleep 0.1
done
[[ -n $question ]] || fail "Delete Files asked no question"
shot "$question" question
# Yes only to the question about .tmp in the folder prepared: a wrong pick in the chooser,
# or a wrong row, gets No and fails the test with nothing deleted.
wine_run "$texts" "File Manager by ostrel.example" 2>/dev/null | tr -d '\r' >"$out/texts.txt"
asked="Are you sure you wish to delete .tmp files in folder (including sub folders) $windows_folder ?"
if ! grep -qxF "$asked" "$out/texts.txt"; then
  xdotool key n
  fail "the question is not about .tmp in $windows_folder; the windows say: $(cat "$out/texts.txt")"
fi
xdotool key Return
for _ in $(seq 100); do
  [[ -e $folder/a.tmp || -e $folder/sub/b.tmp || -e $folder/sub/deep/c.tmp ]] || break
  sleep 0.1
done
sleep 1

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

# What the delete did: exactly the three .tmp files are in the trash, everything else stayed.
XDG_DATA_HOME=$wine_dir/data trash-list | grep -F "$folder/" | sort >"$out/trash-list.txt"
sed 's/^[^/]*//' "$out/trash-list.txt" >"$out/trashed.txt"
printf '%s\n' "$folder/a.tmp" "$folder/sub/b.tmp" "$folder/sub/deep/c.tmp" | sort >"$out/expected.txt"
diff -u "$out/expected.txt" "$out/trashed.txt" || fail "the trash does not hold exactly the .tmp files"
for kept in x.log notes.txt sub/y.log sub sub/deep; do
  [[ -e $folder/$kept ]] || fail "$kept was moved"
done
# What the window saved: the three widths and the folder.
wine_run reg query "$key" 2>/dev/null | tr -d '\r' >"$out/registry.txt"
for column in 0 1 2; do
  grep -Eq "^ +Column$column +REG_DWORD +0x[0-9a-f]+$" "$out/registry.txt" ||
    fail "no width of column $column: $(cat "$out/registry.txt")"
done
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

echo "PASS: picked $windows_folder, its three .tmp files went to the trash and nothing else;"
echo "      the widths and the folder were saved; started on $windows_given, it was scanned"
echo "      at once; screenshots in $2"
