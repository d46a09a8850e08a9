#!/usr/bin/env bash
# The sandbox of the window tests (scripts/sandbox.sh), tried the hostile way: inside it
# every way of changing a file outside its folder fails, the real /tmp is out of sight,
# and its own folder works; where no sandbox can be made, the command does not run.
#
#   tests/smoke/sandbox-check.sh BUILD_DIR
#
# The files it tries to change are in BUILD_DIR/Testing/Temporary (CTest's own scratch
# folder, writable wherever CTest runs) and in the real /tmp.
set -uo pipefail
sandbox=$(cd "$(dirname "$0")/../.." && pwd)/scripts/sandbox.sh
build=${1:?usage: sandbox-check.sh BUILD_DIR}
fail() { echo "FAIL: $*" >&2; exit 1; }

mkdir -p "$build/Testing/Temporary"
canary=$(mktemp -d "$build/Testing/Temporary/sandbox-canary.XXXXXX")
real_tmp=$(mktemp -d /tmp/rz-sandbox-check.XXXXXX)
out=$canary.out
trap 'rm -rf "$canary" "$real_tmp" "$out"' EXIT
mkdir "$canary/folder"
echo kept >"$canary/file"
echo kept >"$real_tmp/file"

"$sandbox" --out "$out" -- bash -uo pipefail -c '
  canary=$1 real_tmp=$2 bad=0
  changed() { echo "FAIL: inside the sandbox, this changed a file outside it: $*" >&2; bad=1; }
  try() { "$@" 2>/dev/null && changed "$@"; }
  try sh -c ": >\"\$0\"" "$canary/new"
  try sh -c "echo lost >\"\$0\"" "$canary/file"
  try perl -e "rename(\$ARGV[0], \$ARGV[1]) or exit 1" "$canary/file" "$canary/renamed"
  try perl -e "rename(\$ARGV[0], \$ARGV[1]) or exit 1" "$canary/folder" "$canary/renamed"
  try mv "$canary/file" /tmp/moved
  try rm "$canary/file"
  try rmdir "$canary/folder"
  try mkdir "$canary/new-folder"
  try ln -s file "$canary/link"
  try chmod 0 "$canary/file"
  try touch -d @0 "$canary/file"
  [[ -e $real_tmp/file ]] && { echo "FAIL: the real /tmp is in sight: $real_tmp" >&2; bad=1; }
  # Its own folder is /tmp, with HOME in it.
  { : >/tmp/made && mv /tmp/made "$HOME/made" && echo done >/tmp/out/result; } ||
    { echo "FAIL: the sandbox cannot write its own folder" >&2; bad=1; }
  exit $bad' _ "$canary" "$real_tmp" || fail "the sandbox let a command change files outside it"

[[ $(cat "$canary/file") == kept && -d $canary/folder && $(ls "$canary") == $'file\nfolder' ]] ||
  fail "the files outside changed: $(ls -l "$canary")"
[[ $(cat "$real_tmp/file") == kept ]] || fail "the file in the real /tmp changed"
[[ $(cat "$out/result" 2>/dev/null) == done ]] || fail "what the command left in /tmp/out was not copied out"

# No sandbox: the command must not run bare.
message=$(RZ_BWRAP=false "$sandbox" touch "$canary/ran" 2>&1) && fail "it ran without a sandbox"
[[ ! -e $canary/ran ]] || fail "the command ran without a sandbox"
[[ $message == *"could not make a private mount namespace"* ]] ||
  fail "no clear message without a sandbox: $message"
echo "PASS: inside the sandbox nothing outside its folder could be changed; without one nothing ran"
