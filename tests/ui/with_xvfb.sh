#!/usr/bin/env bash
# Runs a command against an X server of its own: starts Xvfb on a display
# no other server uses (Xvfb picks it and tells it on a pipe), runs
# COMMAND with DISPLAY set to it and without QT_QPA_PLATFORM, and stops the
# server however the command ends. The command's status is the script's.
#
#   with_xvfb.sh COMMAND [ARG...]
set -euo pipefail
command -v Xvfb > /dev/null || { echo "with_xvfb: Xvfb is not installed (package xvfb)" >&2; exit 1; }
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [[ -n $xvfb_pid ]]; then kill "$xvfb_pid" 2> /dev/null || true; wait "$xvfb_pid" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/display"
# -br: a black root window, so an unpainted window cannot pass for a painted one.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -br -nolisten tcp -noreset 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
read -r number < "$work/display" || { cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=:$number
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
status=0
"$@" || status=$?
exit "$status"
