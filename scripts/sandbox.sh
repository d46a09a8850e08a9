#!/usr/bin/env bash
# Runs a command where it can change nothing but a fresh temporary folder of its own: a
# private mount namespace (bubblewrap) in which the whole file system is read-only and
# that folder is /tmp. Every test that drives a window and may delete runs this way, so a
# wrong pick in a folder chooser can never move a file of anyone's.
#
#   scripts/sandbox.sh [--out DIR] [--writable DIR]... [--] COMMAND [ARGS...]
#
# Inside, for COMMAND and everything it starts:
# - /tmp is the fresh folder, made below $TMPDIR when that is a folder whose path has no
#   hidden component, below /tmp otherwise, and removed afterwards; HOME, the XDG folders,
#   TMPDIR and RZ_WINE_DIR (scripts/wine-run.sh) point into it, and RZ_SANDBOX_OUT=/tmp/out;
# - everything else is read-only, this project's folder included (visible even when it
#   lies below the real /tmp), except each --writable DIR (an existing folder); /dev is a
#   fresh one with the devices of FUSE and loop drives;
# - processes, network and IPC are private: no display, bus or X server of the outside
#   can be reached, and whatever COMMAND leaves running (Xvfb, Wine's server) ends with it.
# With --out, what COMMAND left in /tmp/out replaces the contents of DIR once it has ended.
# Exits with COMMAND's status; 1 with a message, COMMAND not run, where no private mount
# namespace can be made. RZ_BWRAP names another bwrap (the sandbox's own test).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "sandbox.sh: $*" >&2; exit 1; }

out='' writable=()
while (($#)); do
  case $1 in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --writable)
      dir=$(realpath -e "$2") && [[ -d $dir ]] || fail "no folder $2"
      writable+=("$dir")
      shift 2
      ;;
    --) shift; break ;;
    *) break ;;
  esac
done
(($#)) || fail "usage: sandbox.sh [--out DIR] [--writable DIR]... [--] COMMAND [ARGS...]"
[[ $out != / ]] || fail "--out / would replace everything"

bwrap=${RZ_BWRAP:-bwrap}
command -v "$bwrap" >/dev/null ||
  fail "$bwrap is not installed (package bubblewrap; scripts/setup installs it): this" \
    "command changes files and runs only where it can touch nothing but its own folder"

# A path has a hidden component when one of its folders starts with a dot.
base=$(realpath -e "${TMPDIR:-/tmp}" 2>/dev/null) || base=/tmp
[[ -d $base && $base/ != */.* ]] || base=$(realpath -e /tmp)
[[ $base/ != */.* ]] || fail "/tmp lies below a hidden folder ($base)"
box=$(mktemp -d "$base/rz-sandbox.XXXXXX")
trap 'chmod -R u+rwX "$box" 2>/dev/null; rm -rf "$box"' EXIT
mkdir "$box"/{home,config,data,cache,state,run,out}
chmod 1777 "$box"
chmod 700 "$box/run"

args=(--ro-bind / / --bind "$box" /tmp --dev /dev --proc /proc
  --unshare-pid --unshare-net --unshare-ipc --die-with-parent --info-fd 3)
[[ $root != /tmp/* ]] || args+=(--ro-bind "$root" "$root")
# The devices of the drives tests mount on images in their own folder: FUSE and loop.
for node in /dev/fuse /dev/loop-control /dev/loop[0-9]*; do
  [[ ! -e $node ]] || args+=(--dev-bind "$node" "$node")
done
for dir in "${writable[@]}"; do args+=(--bind "$dir" "$dir"); done
for var in DISPLAY WAYLAND_DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS; do
  args+=(--unsetenv "$var")
done
args+=(--setenv HOME /tmp/home --setenv XDG_CONFIG_HOME /tmp/config
  --setenv XDG_DATA_HOME /tmp/data --setenv XDG_CACHE_HOME /tmp/cache
  --setenv XDG_STATE_HOME /tmp/state --setenv XDG_RUNTIME_DIR /tmp/run --setenv TMPDIR /tmp
  --setenv RZ_WINE_DIR /tmp/wine --setenv RZ_SANDBOX_OUT /tmp/out)

# Inside, before COMMAND: the root and this project must be read-only, or nothing runs.
status=0
"$bwrap" "${args[@]}" bash -c '
  if [[ -w / || -w $0 ]]; then echo "sandbox.sh: the disk is writable inside the sandbox" >&2; exit 1; fi
  exec "$@"' "$root" "$@" 3>"$box/.started" || status=$?
[[ -s $box/.started ]] ||
  fail "could not make a private mount namespace here (bubblewrap; status $status): this" \
    "command changes files and runs only where it can touch nothing but its own folder"

# DIR's contents go, not DIR: it may be a mount point (--writable of a sandbox around this).
if [[ -n $out ]]; then
  mkdir -p "$out" && find "$out" -mindepth 1 -maxdepth 1 -exec rm -rf {} + &&
    cp -R "$box/out/." "$out/"
fi
exit "$status"
