#!/usr/bin/env bash
# Runs a Windows program under Wine with its X11 driver on a private Xvfb
# screen (tests/support/with-xvfb.sh), in a prefix of its own: the other
# suites run Wine's null driver. One run at a time holds the prefix, and
# whatever the run left in it ends with the run.
set -uo pipefail
if [ -z "${JLAUNCH_SCREEN_FILE:-}" ]; then
  exec bash "$(dirname "$0")/../support/with-xvfb.sh" bash "$0" "$@"
fi
prefix_root="${JLAUNCH_WINE_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)/build/windows}"
export WINEPREFIX="$prefix_root/wineprefix-x11"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LC_ALL:-C.UTF-8}"

mkdir -p "$prefix_root"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.jlaunch-ready" ]; then
  rm -rf "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.jlaunch-ready"
fi
wine "$@"
status=$?
wineserver -k 2>/dev/null
# Gone before the next run boots a session in the prefix.
wineserver -w 2>/dev/null
exit $status
