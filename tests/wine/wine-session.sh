#!/usr/bin/env bash
# Starts ("start") or ends ("stop") one Wine session in the build's prefix
# (JLAUNCH_WINE_ROOT, as wine-run.sh takes it) for a whole test run. Left to
# itself, a session ends whenever no test program happens to run and the next
# test's start boots a new one; a program started while one session ends or
# the next boots now and then failed at once without a word. The session
# started here stays until "stop" and holds none of the tests' output.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix_root="${JLAUNCH_WINE_ROOT:-$(cd "$here/../.." && pwd)/build/windows}"
export WINEPREFIX="${WINEPREFIX:-$prefix_root/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export LC_ALL="${LC_ALL:-C.UTF-8}"
unset DISPLAY

case "${1:-}" in
  start)
    # The prefix is made if need be; then whatever session runs in it ends.
    bash "$here/wine-run.sh" cmd /c exit </dev/null >/dev/null 2>&1
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    # A server that stays without clients, and the services a session boots.
    wineserver -p </dev/null >/dev/null 2>&1 || { echo "wineserver did not start" >&2; exit 1; }
    wine cmd /c exit </dev/null >/dev/null 2>&1 || { echo "the Wine session did not boot" >&2; exit 1; }
    echo "Wine session up in $WINEPREFIX"
    ;;
  stop)
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    echo "Wine session ended in $WINEPREFIX"
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
