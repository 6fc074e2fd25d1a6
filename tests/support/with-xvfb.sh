#!/usr/bin/env bash
# Runs a command on a private Xvfb screen of a known size (JLAUNCH_SCREEN_SIZE,
# default 1920x1080, 24 bits deep, no cursor) and ends the server afterwards. The command
# finds the screen in DISPLAY and its framebuffer, an XWD file that Xvfb keeps
# current and the tests read as their screenshot, in JLAUNCH_SCREEN_FILE.
# Displays are tried from JLAUNCH_FIRST_DISPLAY (default 41) upwards.
set -uo pipefail
dir=$(mktemp -d)
xvfb=""
trap '[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null; wait; rm -rf "$dir"' EXIT

first="${JLAUNCH_FIRST_DISPLAY:-41}"
for display in $(seq "$first" $((first + 40))); do
  [ -e "/tmp/.X$display-lock" ] && continue
  # Xvfb writes the display number to the ready file once it takes clients.
  Xvfb ":$display" -screen 0 "${JLAUNCH_SCREEN_SIZE:-1920x1080}x24" -fbdir "$dir" -nolisten tcp -nocursor \
    -displayfd 3 3>"$dir/ready" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 200); do
    [ -s "$dir/ready" ] && break 2
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.05
  done
  kill "$xvfb" 2>/dev/null
  wait "$xvfb" 2>/dev/null
  xvfb=""
done
[ -n "$xvfb" ] || { echo "with-xvfb: no Xvfb display could be started" >&2; exit 1; }
export DISPLAY=":$display" JLAUNCH_SCREEN_FILE="$dir/Xvfb_screen0"
"$@"
