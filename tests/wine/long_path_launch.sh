#!/usr/bin/env bash
# The console launcher started from a folder past the 260 characters of a
# classic Windows path (Wine starts it from its Unix path; Windows programs
# cannot, see DeepLaunch in hosting_end_to_end_test.cpp), with a UTF-16
# settings file beside it: the settings are read and checked there as
# anywhere else. The Java runtime named does not exist, so the launch ends
# at the search, after the settings were traced.
#
# Usage: long_path_launch.sh JLAUNCHC_EXE   (JLAUNCH_WINE_ROOT names the prefix's folder)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
launcher=${1:?the console launcher}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

deep=$work
for level in 1 2 3 4 5 6 7 8; do
  deep="$deep/level $level of a folder tree with long names, Ωμέγα 日本"
done
mkdir -p "$deep" || fail "cannot make the deep folder"
cp "$launcher" "$deep/app.exe"
[ "$(printf '%s' "Z:${deep//\//\\}\\app.ini" | wc -m)" -ge 260 ] || fail "the settings path is not long enough"
printf '[Java Runtime Environment]\r\nMain Class=com.acme.App\r\nJRE Path=C:\\jlt-no-runtime\r\nVirtual Machine Parametres=-Xmx1g\r\n[Application]\r\nCmd=--from-settings\r\n' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$deep/app.ini"

output=$(cd "$deep" && JLAUNCH_TRACE=- bash "$here/wine-run.sh" ./app.exe 2>&1)
status=$?
for line in \
  'app.ini (found)' \
  '[Java Runtime Environment] Main Class = com.acme.App' \
  '[Application] Cmd = --from-settings' \
  'settings file: unknown key "Virtual Machine Parametres" in [Java Runtime Environment] is not read; did you mean [Java Runtime Environment] Virtual Machine Parameters?'; do
  grep -qF -- "$line" <<<"$output" || fail "no \"$line\" in the launch's output (exit $status):
$output"
done
grep -qF 'Main class was not specified' <<<"$output" && fail "the settings were not read:
$output"
echo "settings read and checked past the classic path length (exit $status)"
