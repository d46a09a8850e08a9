#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, inside a folder of its own:
#   RZ_WINE_DIR=/abs/folder scripts/wine-run.sh PROGRAM.exe [ARGS...]
# The Windows build's CMAKE_CROSSCOMPILING_EMULATOR (tests, test discovery), and the way
# to run the programs by hand. Without RZ_WINE_DIR, the emulator's RZ_WINE_BUILD_DIR (the
# build folder's wine/) is the folder; scripts/sandbox.sh sets RZ_WINE_DIR to its own.
#
# Everything Wine keeps lives below RZ_WINE_DIR: its prefix (prefix/, made on first use)
# and the home, settings and desktop trash it sees (home/, data/, ...), so the user's own
# home, Wine prefix and trash are never touched. Wine moves files to the recycle bin only
# when data/ exists (without it its recycle bin is off and a delete is permanent), so it is
# made here.
#
# Wine's server and the services it starts outlive the program that started them; started
# by a program under CTest they would keep its output pipe open, and CTest would wait for
# them (about 2 s per test). So the server and the session are started here, output sent
# nowhere, and every program after that joins them.
set -euo pipefail
dir=${RZ_WINE_DIR:-${RZ_WINE_BUILD_DIR:?set RZ_WINE_DIR to an absolute folder}}
[[ $dir == /* ]] || { echo "wine-run.sh: the Wine folder must be absolute: $dir" >&2; exit 2; }

export WINEPREFIX=$dir/prefix
export HOME=$dir/home XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data
export XDG_CACHE_HOME=$dir/cache XDG_STATE_HOME=$dir/state XDG_RUNTIME_DIR=$dir/run
export WINEDEBUG=${WINEDEBUG--all}
# No Mono or Gecko downloads, no menu entries or file associations on the desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES-mscoree,mshtml=;winemenubuilder.exe=d}
mkdir -p "$WINEPREFIX" "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" \
  "$XDG_STATE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

(
  flock 9
  # Exits 0 when it started a server, non-zero when one already runs for this prefix. It
  # stays 60 s after its last program. (9>&-: the server must not inherit the lock, or the
  # next program would wait for it to end.)
  if wineserver -p60 </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot </dev/null >/dev/null 2>&1 9>&-
    # The desktop window's process (explorer.exe) starts with the first program that needs
    # it, and would keep that program's output open: it is started here instead.
    wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 9>&-
    # Debian's Wine 8 looks for its own fonts (MS Sans Serif; Marlett for the caption
    # buttons) only in C:\windows\Fonts, and nothing copies them there.
    fonts=$WINEPREFIX/drive_c/windows/Fonts
    if [[ -d /usr/share/wine/fonts && ! -e $fonts/marlett.ttf ]]; then
      cp /usr/share/wine/fonts/* "$fonts/"
    fi
  fi
) 9>"$dir/wine.lock"
exec wine "$@"
