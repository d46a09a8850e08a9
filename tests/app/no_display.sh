#!/bin/sh
# The window program started with no graphical session: one line on stderr, status 1,
# and no abort from the toolkit.
#   no_display.sh PROGRAM
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" 2>&1 </dev/null)
status=$?
printf '%s\n' "$out"
[ "$status" -eq 1 ] || { echo "exit status $status, expected 1" >&2; exit 1; }
[ "$(printf '%s\n' "$out" | wc -l)" -eq 1 ] || { echo "expected one line" >&2; exit 1; }
case $out in *"xvfb-run -a"*) ;; *) echo "no word of xvfb-run -a" >&2; exit 1 ;; esac
