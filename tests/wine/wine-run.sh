#!/usr/bin/env bash
# Runs a Windows program under Wine, headless, in the build's private prefix.
# The prefix is made once (null graphics driver, no Mono or Gecko prompts).
set -euo pipefail
prefix_root="${JLAUNCH_WINE_ROOT:-$(cd "$(dirname "$0")/../.." && pwd)/build/windows}"
export WINEPREFIX="${WINEPREFIX:-$prefix_root/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Test output in one language whatever the machine's locale.
export LC_ALL="${LC_ALL:-C.UTF-8}"
unset DISPLAY

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/.jlaunch-ready" ]; then
  rm -rf "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.jlaunch-ready"
fi
flock -u 9
# What the program's Wine start brings up for the session (the wineserver,
# services.exe, explorer.exe...) inherits its standard error and keeps it
# until the session ends; on a pipe, the test runner would wait for them long
# after the test has finished. So standard error goes through a file.
errors=$(mktemp)
status=0
wine "$@" 2>"$errors" || status=$?
cat "$errors" >&2
rm -f "$errors"
exit "$status"
