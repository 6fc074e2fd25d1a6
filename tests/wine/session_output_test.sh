#!/usr/bin/env bash
# A program run by wine-run.sh that starts a Wine session must let its output
# end when it ends, though another program keeps the session (the wineserver
# and the services it started) running: the test runner reads a test's
# output to its end. The session in the prefix is ended first, so that the
# program starts a new one; no other test may use the prefix meanwhile.
#
# Usage: session_output_test.sh   (JLAUNCH_WINE_ROOT names the prefix's folder)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root="${JLAUNCH_WINE_ROOT:?JLAUNCH_WINE_ROOT names the prefix folder}"
export WINEPREFIX="$root/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The prefix is made if need be; then no session runs in it.
bash "$here/wine-run.sh" cmd /c exit >/dev/null 2>&1
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null

mkfifo "$work/program-go" "$work/keeper-go" "$work/keeper-says"
# The program starts the session, says so, and ends on its go.
coproc PROGRAM { bash "$here/wine-run.sh" cmd /c "echo started& set /p line=& echo ended" <"$work/program-go" 2>&1; }
exec 5>"$work/program-go"
read -r said <&"${PROGRAM[0]}" || fail "the program did not start"
[[ "$said" == started* ]] || fail "the program said \"$said\""
# The keeper joins the session and stays until its go.
wine cmd /c "echo joined& set /p line=" <"$work/keeper-go" >"$work/keeper-says" 2>/dev/null &
keeper=$!
exec 6>"$work/keeper-go"
read -r said <"$work/keeper-says" || fail "the keeper did not start"

echo go >&5
exec 5>&-
# The end of the output, while the keeper still waits for its go; without it
# the wait would last as long as the session (the keeper's go comes later),
# so it is bounded.
if ! timeout 60 cat <&"${PROGRAM[0]}" >"$work/program-output"; then
  fail "the program's output did not end with the program while the session ran on"
fi
grep -q ended "$work/program-output" || fail "the program did not end: $(cat "$work/program-output")"
kill -0 "$keeper" 2>/dev/null || fail "the keeper ended before its go"
echo go >&6
exec 6>&-
wait "$keeper"
echo "the program's output ended with it while the session ran on"
